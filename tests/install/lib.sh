# Shared by the installation checks: what an installation must hold, and a run
# of the installed program on an X display and in a home of its own.

WORK=$(mktemp -d)
XVFB_PID=
PROGRAM_PID=

cleanup() {
    [ -n "$PROGRAM_PID" ] && kill "$PROGRAM_PID" 2>/dev/null && wait "$PROGRAM_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

need() {
    local tool
    for tool; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
}

# Every file an installation holds, relative to its prefix.
expected_files() {
    echo bin/pastebasket
    echo share/applications/org.orvendel.Pastebasket.desktop
    echo share/doc/pastebasket/Readme.html
    local size
    for size in 16 22 24 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x${size}/apps/pastebasket.png"
    done
    echo share/icons/hicolor/scalable/apps/pastebasket.svg
    echo share/metainfo/org.orvendel.Pastebasket.metainfo.xml
}

# check_tree ROOT PREFIX: ROOT holds exactly the expected files under PREFIX
# (PREFIX "" or "usr/"), each a regular file, and every icon has its size.
check_tree() {
    local root=$1 prefix=$2
    diff -u <(expected_files | sed "s|^|$prefix|" | sort) \
            <(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort) \
        || fail "$root does not hold exactly the expected files"
    [ -x "$root/${prefix}bin/pastebasket" ] || fail "the program is not executable"
    local png size width height
    for png in "$root/${prefix}"share/icons/hicolor/*x*/apps/pastebasket.png; do
        size=$(basename "$(dirname "$(dirname "$png")")")
        # A PNG's width and height are the big-endian words at bytes 16 and 20.
        read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$png")
        [ "${width}x${height}" = "$size" ] || fail "$png is ${width}x${height}, not $size"
    done
    echo "ok: $(expected_files | wc -l) files in place under $root/$prefix"
}

start_xvfb() {
    # The server writes the display it picked into the pipe once it is ready;
    # when it fails, the pipe closes empty.
    rm -f "$WORK/display"
    mkfifo "$WORK/display"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$WORK/display" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    local number=
    read -r -t 10 number <"$WORK/display" || true
    [ -n "$number" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    DISPLAY=:$number
}

# wait_for_line PATTERN SECONDS: true once a line of the program's log matches
# PATTERN (grep -E), read as it is written; false when the time runs out or the
# program ends first.
wait_for_line() {
    timeout "$2" grep -m1 -qE "$1" \
        < <(tail -n +1 -F --pid="$PROGRAM_PID" "$WORK/program.log" 2>/dev/null)
}

# The program's main window is on the screen: a viewable window of that title
# that is not the splash, which has the same title.
main_window_shown() {
    local id types
    for id in $(xdotool search --onlyvisible --name '^Pastebasket$' 2>/dev/null); do
        types=$(xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null) || continue # just gone
        [[ $types == *NORMAL* && $types != *SPLASH* ]] && return 0
    done
    return 1
}

# smoke_run PROGRAM: the program starts on a fresh X display with an empty home,
# writes its settings file (readable by the user alone), shows its window and
# takes in a text put on the clipboard; ended with SIGTERM, it saves that text
# in the default group's file. Returns 77 when the program ends by itself,
# cleanly, before writing anything.
smoke_run() {
    local program=$1 home=$WORK/home
    mkdir -p "$home/data" "$home/config" "$home/run"
    chmod 700 "$home/run"
    start_xvfb
    export DISPLAY
    # Nothing of the caller's session may leak in: no offscreen platform, no
    # Wayland display, not the caller's data.
    env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$home" XDG_DATA_HOME="$home/data" \
        XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" DISPLAY="$DISPLAY" \
        QT_LOGGING_RULES='pastebasket.capture.info=true;pastebasket.exit.info=true' \
        ASAN_OPTIONS=detect_leaks=0 "$program" >"$WORK/program.log" 2>&1 &
    PROGRAM_PID=$!
    local folder="$home/data/Orvendel Software/Pastebasket"
    local ini=$folder/Pastebasket.ini
    # The start-up is done once the main window has taken over; the settings
    # file is written before.
    if ! wait_for_line '^pastebasket\.exit: start-up done' 30; then
        if kill -0 "$PROGRAM_PID" 2>/dev/null; then
            cat "$WORK/program.log" >&2
            fail "$program runs but did not finish its start-up within 30 s"
        fi
        local status=0
        wait "$PROGRAM_PID" || status=$?
        PROGRAM_PID=
        if [ "$status" -ne 0 ]; then
            cat "$WORK/program.log" >&2
            fail "$program ended with status $status"
        fi
        # A program built without its start-up yet ends at once and cleanly.
        echo "SKIP: $program ended at once without a settings file; its start-up is not built in"
        return 77
    fi
    [ -f "$ini" ] || fail "$program finished its start-up without a settings file"
    [ "$(stat -c %a "$ini")" = 600 ] || fail "the settings file has mode $(stat -c %a "$ini")"
    echo "ok: $program started and wrote its settings file"

    # The window's load empties the clipboard, so the text goes there only
    # once the window is up. The splash has gone by the end of the start-up.
    timeout 15 xdotool search --sync --onlyvisible --name '^Pastebasket$' >/dev/null || true
    main_window_shown || fail "$program showed no main window within 15 s"
    local text="smoke text $$ $RANDOM"
    # xclip stays in the background to serve the text until the server ends.
    printf %s "$text" | xclip -selection clipboard >/dev/null 2>&1 || fail "xclip failed"
    # Each text taken in is logged.
    wait_for_line '^pastebasket\.capture: captured ' 15 \
        || { cat "$WORK/program.log" >&2; fail "$program took in no text within 15 s"; }
    kill -TERM "$PROGRAM_PID"
    local status=0
    wait "$PROGRAM_PID" || status=$?
    PROGRAM_PID=
    [ "$status" -eq 0 ] || { cat "$WORK/program.log" >&2; fail "ended by SIGTERM with status $status"; }
    local group=$folder/data/group0.dat
    [ -f "$group" ] || fail "no group0.dat was saved"
    tr -d '\r' <"$group" | grep -qxF "Text1=$text,0,,0" \
        || { cat -A "$group" >&2; fail "the copied text was not saved in group0.dat"; }
    echo "ok: the text copied to the clipboard was taken in and saved at SIGTERM"
}
