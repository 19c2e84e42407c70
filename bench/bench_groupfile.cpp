// Load and save times of large groups: 10000 texts, the most a list takes in,
// once of ordinary length and once with a 10 MB and a 5 MB text among them. Also
// listing 10000 groups from the registry, and the settings read at start from a
// settings file holding a 30 MB value.
#include "platform/filesys.h"
#include "settings/settingskeys.h"
#include "store/groupfile.h"
#include "store/groupregistry.h"

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

// A text of about `bytes` UTF-8 bytes that looks like a pasted log: lines with
// commas, a few accented letters and line breaks.
QString bigText(qsizetype bytes, int seed)
{
    const QString line = QStringLiteral("2024-06-11 10:%1 worker=%2, state=ok, caf\u00e9 \u2013 "
                                        "request served in 12 ms, bytes=4096\r\n")
                             .arg(seed, 2, 10, QLatin1Char('0'))
                             .arg(seed * 7);
    return line.repeated(bytes / line.toUtf8().size() + 1);
}

// The group of the size targets: the large group with a 10 MB and a 5 MB text.
QList<TextEntry> hugeGroup()
{
    QList<TextEntry> entries = largeGroup();
    entries[100] = TextEntry{bigText(10'000'000, 1), 1, QStringLiteral("ten"), 1};
    entries[5000] = TextEntry{bigText(5'000'000, 2), 0, {}, 0};
    return entries;
}

using GroupMaker = QList<TextEntry> (*)();

void saveGroup(benchmark::State &state, GroupMaker make)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("group1.dat"));
    const QList<TextEntry> entries = make();
    for (auto _ : state) {
        if (!saveGroupFile(path, entries))
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}

void loadGroup(benchmark::State &state, GroupMaker make)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("group1.dat"));
    if (!saveGroupFile(path, make()))
        state.SkipWithError("save failed");
    for (auto _ : state) {
        const GroupLoadResult loaded = loadGroupFile(path);
        if (loaded.entries.size() != kMaxListRows)
            state.SkipWithError("load incomplete");
        benchmark::DoNotOptimize(loaded.entries.constData());
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}

void BM_SaveGroup(benchmark::State &state)
{
    saveGroup(state, largeGroup);
}
void BM_LoadGroup(benchmark::State &state)
{
    loadGroup(state, largeGroup);
}
void BM_SaveGroupWithBigTexts(benchmark::State &state)
{
    saveGroup(state, hugeGroup);
}
void BM_LoadGroupWithBigTexts(benchmark::State &state)
{
    loadGroup(state, hugeGroup);
}

void BM_ListGroups(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Management.dat"));
    QByteArray order("[Management]\r\nMaxGroupNo=10000\r\n[GroupNo]\r\n");
    QByteArray names("[GroupNoName]\r\n");
    for (int i = 0; i < 10000; ++i) {
        order += "Group" + QByteArray::number(i) + '=' + QByteArray::number(i) + "\r\n";
        names +=
            "Group" + QByteArray::number(i) + "=Group number " + QByteArray::number(i) + "\r\n";
    }
    writeFileAtomically(path, order + names);
    const GroupRegistry registry(path, dir.path());
    for (auto _ : state) {
        registry.ensureExists();
        if (registry.groups().size() != 10000)
            state.SkipWithError("groups missing");
    }
}

// What the start and the main window's load read from the settings file.
void BM_StartupSettingsWithHugeValue(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pastebasket.ini"));
    writeFileAtomically(path, "[Setup]\r\nHuge=" + QByteArray(30'000'000, 'x') +
                                  "\r\n[WindowSize]\r\nWidth=9000\r\n");
    const Settings settings(path);
    settings.writeStartupDefaults(); // as after the first start
    for (auto _ : state) {
        settings.writeStartupDefaults();
        const Settings::ReadScope once(settings);
        for (const SettingKey &key :
             {Setting::AutoGet, Setting::TopPos, Setting::Width, Setting::Height, Setting::Top,
              Setting::Left, Setting::WindowState, Setting::FontName, Setting::FontBold,
              Setting::FontItalic, Setting::FontSize, Setting::StartupGroup, Setting::LastGroupNo,
              Setting::StartupGroup, Setting::InTaskTray, Setting::StartupState})
            benchmark::DoNotOptimize(settings.value(key));
    }
}

} // namespace

BENCHMARK(BM_ListGroups)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupSettingsWithHugeValue)->Unit(benchmark::kMillisecond)->UseRealTime();

// Saves include the flush to disk, as every real save does.
BENCHMARK(BM_SaveGroup)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadGroup)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveGroupWithBigTexts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadGroupWithBigTexts)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
