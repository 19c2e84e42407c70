#!/usr/bin/env python3
"""Black-box capture benchmark: the real program under Xvfb.

    capture_bench.py <pastebasket> <clipowner> [--quick]

Every text is served by a clipboard owner of its own (clipowner), which logs with
the monotonic clock when it took the clipboard and when it was asked for what.
Printed:
  - capture latency: from an owner taking the clipboard to the program asking for
    its text (median, p95, max over 200 texts), and the requests per text;
  - texts kept out of bursts of 200 copies at 100, 50 and 20 ms spacing, counted
    in group0.dat after SIGTERM;
  - idle CPU time and voluntary context switches over 30 s, with 10,000 texts
    loaded and a 5 MB text on the clipboard;
  - RSS and PSS, empty and with 10,000 texts;
  - the time an exit by SIGTERM takes with those 10,000 texts unchanged;
  - how soon a second copy's request to show the window is answered (its marker
    file deleted) after the second copy has ended.
Figures are wall-clock ones from a shared machine: compare runs made together.
"""

import os
import re
import signal
import statistics
import subprocess
import sys
import tempfile
import time

TEXT_REQUESTS = ("UTF8_STRING", "STRING", "TEXT", "text/plain", "text/plain;charset=utf-8")


def now_ns():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC)


class Xvfb:
    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                raise RuntimeError("Xvfb named no display")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def stop(self):
        self.process.terminate()
        self.process.wait()


class Program:
    """One run of the program with a data folder of its own."""

    def __init__(self, executable, display, group0=None):
        self.home = tempfile.TemporaryDirectory(prefix="pb-bench-")
        self.user = os.path.join(self.home.name, "data", "Orvendel Software", "Pastebasket")
        os.makedirs(os.path.join(self.user, "data"))
        if group0 is not None:
            with open(os.path.join(self.user, "data", "group0.dat"), "wb") as f:
                f.write(group0)
        os.makedirs(os.path.join(self.home.name, "runtime"), mode=0o700)
        self.env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                        XDG_DATA_HOME=os.path.join(self.home.name, "data"),
                        XDG_RUNTIME_DIR=os.path.join(self.home.name, "runtime"))
        self.env.pop("WAYLAND_DISPLAY", None)
        self.process = subprocess.Popen([executable], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    @property
    def pid(self):
        return self.process.pid

    def group0(self):
        try:
            with open(os.path.join(self.user, "data", "group0.dat"), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return b""

    def terminate(self):
        self.process.send_signal(signal.SIGTERM)
        return self.process.wait(timeout=120)

    def cleanup(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.home.cleanup()


class Owners:
    """Clipboard owners, one per text, all logging into one file."""

    def __init__(self, clipowner, display):
        self.clipowner = clipowner
        self.env = dict(os.environ, DISPLAY=display)
        self.log = tempfile.NamedTemporaryFile(prefix="pb-owners-", suffix=".log", delete=False)
        self.log.close()
        self.processes = []

    def copy(self, ident, text):
        # posix_spawn costs a fraction of what subprocess does, which keeps the
        # spacing of a burst on a busy machine.
        self.processes.append(os.posix_spawn(self.clipowner, [self.clipowner, ident, text,
                                                              self.log.name], self.env))
        self.reap()

    def reap(self):
        running = []
        for pid in self.processes:
            done, _ = os.waitpid(pid, os.WNOHANG)
            if not done:
                running.append(pid)
        self.processes = running

    def events(self):
        out = {}
        with open(self.log.name) as f:
            for line in f:
                parts = line.split()
                if len(parts) < 3:
                    continue
                out.setdefault(parts[0], []).append((parts[1:-1], int(parts[-1])))
        return out

    def wait_for_text_request(self, ident, timeout_s):
        deadline = time.monotonic() + timeout_s
        while time.monotonic() < deadline:
            for what, at in self.events().get(ident, []):
                if what[0] == "asked" and what[1] in TEXT_REQUESTS:
                    return at
            time.sleep(0.002)
        return None

    def took(self, prefix):
        """When each owner whose name starts with prefix took the clipboard, in order."""
        times = []
        for ident, events in self.events().items():
            if ident.startswith(prefix):
                times.extend(at for what, at in events if what[0] == "took")
        return sorted(times)

    def stop(self):
        for pid in self.processes:
            os.kill(pid, signal.SIGKILL)
        for pid in self.processes:
            os.waitpid(pid, 0)
        os.unlink(self.log.name)


def wait_until_capturing(owners, ident="ready"):
    """The program reads the clipboard once its window has loaded."""
    deadline = time.monotonic() + 60
    n = 0
    while time.monotonic() < deadline:
        n += 1
        probe = "%s-%d" % (ident, n)
        owners.copy(probe, "probe %d" % n)
        if owners.wait_for_text_request(probe, 3) is not None:
            return
    raise RuntimeError("the program never read the clipboard")


def percentile(values, p):
    ordered = sorted(values)
    k = max(0, min(len(ordered) - 1, int(round(p / 100.0 * len(ordered) + 0.5)) - 1))
    return ordered[k]


def measure_latency(owners, count):
    latencies, requests, missed = [], [], 0
    for i in range(count):
        ident = "lat-%d" % i
        owners.copy(ident, "latency text %d" % i)
        asked = owners.wait_for_text_request(ident, 2.0)
        events = owners.events().get(ident, [])
        took = next((at for what, at in events if what[0] == "took"), None)
        if asked is None or took is None:
            missed += 1
            continue
        latencies.append((asked - took) / 1e6)
        # Whatever else is asked shortly after, for this text.
        time.sleep(0.05)
        events = owners.events().get(ident, [])
        requests.append(sum(1 for what, _ in events if what[0] == "asked"))
    return latencies, requests, missed


def burst(owners, spacing_ms, count, tag):
    start = time.monotonic()
    for i in range(count):
        target = start + i * spacing_ms / 1000.0
        delay = target - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        owners.copy("%s-%d" % (tag, i), "%s text %d" % (tag, i))
    time.sleep(1.5)


def kept(group0, tag):
    return len(re.findall((r"^Text\d+=%s text \d+," % re.escape(tag)).encode(), group0,
                          re.MULTILINE))


def cpu_and_switches(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])  # utime + stime
    switches = 0
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("voluntary_ctxt_switches:"):
                switches = int(line.split()[1])
    return ticks / os.sysconf("SC_CLK_TCK"), switches


def memory_kb(pid):
    values = {}
    with open("/proc/%d/smaps_rollup" % pid) as f:
        for line in f:
            parts = line.split()
            if parts[0] in ("Rss:", "Pss:"):
                values[parts[0][:-1]] = int(parts[1])
    return values.get("Rss", 0), values.get("Pss", 0)


def big_group(n):
    lines = [b"[ListData]\r\n"]
    for i in range(n):
        lines.append(b"Text%d=Stored text number %d\x02 with a few words in it to look real,0,,0\r\n"
                     % (i + 1, i))
    return b"".join(lines)


def settle(seconds):
    time.sleep(seconds)


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    executable, clipowner = sys.argv[1], sys.argv[2]
    quick = "--quick" in sys.argv[3:]
    texts = 40 if quick else 200
    idle_s = 5 if quick else 30

    xvfb = Xvfb()
    owners = Owners(clipowner, xvfb.display)
    try:
        print("capture benchmark: %s (machine load %.2f)" % (executable, os.getloadavg()[0]))

        program = Program(executable, xvfb.display)
        try:
            wait_until_capturing(owners)
            settle(1.0)
            rss, pss = memory_kb(program.pid)
            print("memory, empty group:          RSS %6d kB  PSS %6d kB" % (rss, pss))

            answers = []
            marker = os.path.join(program.user, "Pastebasket.rex")
            for _ in range(10):
                subprocess.run([executable], env=program.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=60)
                ended = time.monotonic()
                while os.path.exists(marker) and time.monotonic() - ended < 10:
                    time.sleep(0.0005)
                answers.append((time.monotonic() - ended) * 1000)
                time.sleep(0.2)
            print("second copy answered after:   median %.1f ms  max %.1f ms (10 starts)"
                  % (statistics.median(answers), max(answers)))

            latencies, requests, missed = measure_latency(owners, texts)
            if latencies:
                print("capture latency (%d texts):   median %.1f ms  p95 %.1f ms  max %.1f ms%s"
                      % (len(latencies), statistics.median(latencies),
                         percentile(latencies, 95), max(latencies),
                         ("  (%d never asked for)" % missed) if missed else ""))
                print("requests per text:            median %d  max %d (list of formats and text)"
                      % (statistics.median(requests), max(requests)))
            achieved = {}
            for spacing in (100, 50, 20):
                burst(owners, spacing, texts, "burst%d" % spacing)
                took = owners.took("burst%d-" % spacing)
                gaps = [(b - a) / 1e6 for a, b in zip(took, took[1:])]
                achieved[spacing] = (len(took), statistics.median(gaps) if gaps else 0,
                                     max(gaps) if gaps else 0)
            program.terminate()
            group0 = program.group0()
            for spacing in (100, 50, 20):
                owned, median_gap, max_gap = achieved[spacing]
                print("kept of %d copies %3d ms apart: %3d   (clipboard taken %d times, "
                      "median gap %.1f ms, max %.1f ms)"
                      % (texts, spacing, kept(group0, "burst%d" % spacing), owned, median_gap,
                         max_gap))
        finally:
            program.cleanup()

        program = Program(executable, xvfb.display, big_group(10000))
        big = subprocess.Popen(["xclip", "-selection", "clipboard", "-quiet"],
                               stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, env=owners.env)
        try:
            wait_until_capturing(owners, "ready-big")
            big.stdin.write(b"5 MB text " + b"x" * (5 * 1024 * 1024))
            big.stdin.close()
            settle(3.0)
            cpu0, switches0 = cpu_and_switches(program.pid)
            time.sleep(idle_s)
            cpu1, switches1 = cpu_and_switches(program.pid)
            print("idle %d s, 10,000 texts + 5 MB: CPU %.2f s  voluntary context switches %d"
                  % (idle_s, cpu1 - cpu0, switches1 - switches0))
            rss, pss = memory_kb(program.pid)
            print("memory, 10,000 texts + 5 MB:  RSS %6d kB  PSS %6d kB" % (rss, pss))
            # The full list took nothing in: the group is as loaded.
            group_file = os.path.join(program.user, "data", "group0.dat")
            before = os.stat(group_file).st_mtime_ns
            started = time.monotonic()
            program.terminate()
            print("exit (SIGTERM), group unchanged: %.0f ms, group file %s"
                  % ((time.monotonic() - started) * 1000,
                     "rewritten" if os.stat(group_file).st_mtime_ns != before else "untouched"))
        finally:
            big.kill()
            big.wait()
            program.cleanup()
    finally:
        owners.stop()
        xvfb.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
