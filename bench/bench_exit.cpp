// The exit's save of a group that did not change since it was loaded: 10000
// texts, one of them 10 MB and one 5 MB. Nothing is to be written.
#include "benchmain.h"
#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "store/groupfile.h"
#include "ui/main/maincontroller.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QList<TextEntry> bigGroup()
{
    QList<TextEntry> entries;
    entries.reserve(kMaxListRows);
    entries.append(TextEntry{QString(10'000'000, QLatin1Char('a')), 0, {}, 0});
    entries.append(TextEntry{QString(5'000'000, QLatin1Char('b')), 1, {}, 0});
    for (int i = 2; i < kMaxListRows; ++i)
        entries.append(TextEntry{
            QStringLiteral("Clipboard text %1, copied from somewhere.").arg(i), 0, {}, 0});
    return entries;
}

void BM_ExitWithNothingChanged(benchmark::State &state)
{
    QTemporaryDir dir;
    const AppPaths paths = AppPaths::forUserFolder(dir.path());
    QDir().mkpath(paths.dataFolder);
    QDir().mkpath(paths.tempFolder);
    if (!saveGroupFile(paths.groupFile(0), bigGroup()))
        state.SkipWithError("save failed");
    const QDateTime written = QFileInfo(paths.groupFile(0)).lastModified();
    FakeClipboard clipboard;
    FakePrompter prompter;
    MainController controller(paths, clipboard, prompter, {});
    controller.loadGroup(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(controller.saveGroup());
    if (QFileInfo(paths.groupFile(0)).lastModified() != written)
        state.SkipWithError("the unchanged group was written");
}

} // namespace

BENCHMARK(BM_ExitWithNothingChanged)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
