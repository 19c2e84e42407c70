// Load and save times of a large group: 10000 texts, the most a list takes in.
#include "store/groupfile.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QList<TextEntry> largeGroup()
{
    QList<TextEntry> entries;
    entries.reserve(kMaxListRows);
    for (int i = 0; i < kMaxListRows; ++i) {
        const QString n = QString::number(i);
        QString text = QStringLiteral("Clipboard text ") + n +
                       QStringLiteral(", copied from somewhere:\r\n") +
                       QStringLiteral("a line of ordinary length, with commas, words and so on. ")
                           .repeated(1 + i % 8);
        entries.append(TextEntry{std::move(text), qint16(i % 3 == 0), i % 10 == 0 ? n : QString(),
                                 qint16(i % 10 == 0)});
    }
    return entries;
}

void BM_SaveGroup(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("group1.dat"));
    const QString temp = dir.filePath(QStringLiteral("TempGroup.tmp"));
    const QList<TextEntry> entries = largeGroup();
    for (auto _ : state) {
        if (!saveGroupFile(path, temp, entries))
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}

void BM_LoadGroup(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("group1.dat"));
    if (!saveGroupFile(path, dir.filePath(QStringLiteral("TempGroup.tmp")), largeGroup()))
        state.SkipWithError("save failed");
    for (auto _ : state) {
        const GroupLoadResult loaded = loadGroupFile(path, {});
        if (loaded.entries.size() != kMaxListRows)
            state.SkipWithError("load incomplete");
        benchmark::DoNotOptimize(loaded.entries.constData());
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}

} // namespace

BENCHMARK(BM_SaveGroup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadGroup)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
