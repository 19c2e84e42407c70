// The cost of one capture with a full list of 10000 rows.
#include "benchmain.h"
#include "capture/clipboardmonitor.h"
#include "fakes/fakeclipboard.h"
#include "platform/qtclipboard.h"
#include "store/textlistmodel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString ordinaryText(qint64 n)
{
    return QStringLiteral("Copied line number %1, long enough to look like a sentence or a URL.")
        .arg(n);
}

QString hugeText(qsizetype size, qint64 n)
{
    QString text(size, QLatin1Char('x'));
    const QString head = QString::number(n);
    for (qsizetype i = 0; i < head.size(); ++i)
        text[i] = head[i];
    return text;
}

// A monitor over a list of `rows` ordinary texts; the marker file does not exist.
struct Rig
{
    explicit Rig(int rows)
        : monitor(clipboard, model, selection, dir.filePath(QStringLiteral("Pastebasket.rex")), {})
    {
        QList<TextEntry> entries(rows);
        for (int i = 0; i < rows; ++i)
            entries[i].text = ordinaryText(-i - 1);
        model.loadEntries(entries);
    }

    QTemporaryDir dir;
    FakeClipboard clipboard;
    TextListModel model;
    QItemSelectionModel selection{&model};
    ClipboardMonitor monitor;
};

// Arguments: clipboard text size (0: an ordinary text), change notification on or off.
void BM_TickUnchanged(benchmark::State &state)
{
    Rig rig(kMaxListRows);
    rig.clipboard.notifies = state.range(1) != 0;
    rig.clipboard.put(state.range(0) ? hugeText(state.range(0), 0) : ordinaryText(0));
    rig.monitor.capture();
    for (auto _ : state)
        rig.monitor.capture();
}
BENCHMARK(BM_TickUnchanged)
    ->ArgsProduct({{0, 10'000'000}, {1, 0}})
    ->ArgNames({"size", "notifies"})
    ->Unit(benchmark::kMicrosecond);

// A new text each tick. rows = 10000: the list is full, so the text is searched
// for and enters the history only; rows = 9999: it is appended (and removed
// again untimed, so every tick appends).
void BM_TickNewText(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(1));
    Rig rig(rows);
    qint64 n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        rig.clipboard.put(state.range(0) ? hugeText(state.range(0), ++n) : ordinaryText(++n));
        if (rig.model.count() > rows)
            rig.model.removeRowAt(rows);
        state.ResumeTiming();
        rig.monitor.capture();
    }
}
BENCHMARK(BM_TickNewText)
    ->ArgsProduct({{0}, {kMaxListRows, kMaxListRows - 1}})
    ->ArgNames({"size", "rows"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickNewText)
    ->ArgsProduct({{10'000'000}, {kMaxListRows - 1}})
    ->ArgNames({"size", "rows"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_TickNewText)
    ->ArgsProduct({{100'000'000}, {kMaxListRows - 1}})
    ->ArgNames({"size", "rows"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Reading a 10 MB text from the (offscreen, in-process) QClipboard, with and
// without line breaks to turn into CR LF.
void BM_QtClipboardRead(benchmark::State &state)
{
    QString text = hugeText(10'000'000, 0);
    if (state.range(0))
        for (qsizetype i = 80; i < text.size(); i += 81)
            text[i] = QLatin1Char('\n');
    QGuiApplication::clipboard()->setText(text);
    QtClipboard clipboard;
    for (auto _ : state)
        benchmark::DoNotOptimize(clipboard.read());
}
BENCHMARK(BM_QtClipboardRead)->Arg(0)->Arg(1)->ArgName("lines")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks<QGuiApplication>(argc, argv);
}
