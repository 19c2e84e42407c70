#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "platform/paths.h"
#include "settings/inifile.h"
#include "settings/settingskeys.h"
#include "store/groupfile.h"
#include "ui/groups/groupselectormodel.h"
#include "ui/main/maincontroller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

TextEntry entry(const char *text, qint16 protect = 0, const char *caption = "", qint16 named = 0)
{
    return TextEntry{QString::fromUtf8(text), protect, QString::fromUtf8(caption), named};
}

// A controller over a fresh user folder, a fake clipboard and a scripted prompter.
struct Rig
{
    Rig()
        : paths(AppPaths::forUserFolder(dir.path()))
    {
        QDir().mkpath(paths.dataFolder);
        QDir().mkpath(paths.tempFolder);
        controller = std::make_unique<MainController>(
            paths, clipboard, prompter,
            MainController::Hooks{[this] { ++listChanges; }, {}, {}, {}, {}});
    }

    void writeGroup(qint32 number, const QList<TextEntry> &entries) const
    {
        QVERIFY(saveGroupFile(paths.groupFile(number), paths.tempGroupFile(), entries));
    }
    QStringList texts() const
    {
        QStringList out;
        for (int row = 0; row < controller->model().count(); ++row)
            out << controller->model().entryAt(row).text;
        return out;
    }
    QByteArray fileOf(qint32 number) const
    {
        QFile file(paths.groupFile(number));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    AppPaths paths;
    FakeClipboard clipboard;
    FakePrompter prompter;
    int listChanges = 0;
    std::unique_ptr<MainController> controller;
};

} // namespace

class TestMainController : public QObject
{
    Q_OBJECT

private slots:
    void loadEmptiesClipboardAndReadsTheGroup()
    {
        Rig rig;
        rig.writeGroup(0, {entry("a"), entry("b,c\r\nd", 1)});
        rig.clipboard.put(QStringLiteral("copied before"));
        rig.controller->monitor().setLastClipText(QStringLiteral("x"));

        rig.controller->loadGroup(0);

        QCOMPARE(rig.clipboard.content, QString());
        QCOMPARE(rig.texts(), (QStringList{QStringLiteral("a"), QStringLiteral("b,c\r\nd")}));
        QCOMPARE(rig.controller->monitor().lastClipText(), QString());
        QCOMPARE(rig.controller->currentGroupNo(), 0);
        QVERIFY(rig.listChanges >= 1);
        QVERIFY(rig.prompter.messages.isEmpty());
    }

    void loadReportsUnparsableValuesAsSystemErrors()
    {
        Rig rig;
        QFile file(rig.paths.groupFile(0));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[ListData]\r\nText1=good,0,,0\r\nText2=bad,99999,,0\r\n");
        file.close();

        rig.controller->loadGroup(0);

        QCOMPARE(rig.prompter.messages.size(), 1);
        QCOMPARE(rig.prompter.messages.at(0).title, QStringLiteral("System error"));
        QVERIFY(rig.prompter.messages.at(0).text.startsWith(
            QStringLiteral("gsSetTextDataFromFileData(): ")));
        QCOMPARE(rig.texts(), (QStringList{QStringLiteral("good"), QStringLiteral("bad")}));
    }

    void loadOfTheNewGroupRowLeavesTheListEmpty()
    {
        Rig rig;
        rig.writeGroup(0, {entry("a")});
        rig.controller->loadGroup(0);
        rig.controller->loadGroup(GroupRegistry::kNewGroupValue);
        QCOMPARE(rig.controller->model().count(), 0);
        QVERIFY(!rig.controller->saveGroup());
        QVERIFY(!QFileInfo::exists(rig.paths.groupFile(GroupRegistry::kNewGroupValue)));
    }

    void startupClearKeepsProtectedAndCaptionedRows()
    {
        Rig rig;
        rig.writeGroup(0, {entry("plain"), entry("kept", 1), entry("other"),
                           entry("named", 0, "cap", 1), entry("odd flag", 2), entry("last")});
        rig.controller->loadGroup(0);
        rig.controller->removeUnkeptRows();
        QCOMPARE(rig.texts(), (QStringList{QStringLiteral("kept"), QStringLiteral("named"),
                                           QStringLiteral("odd flag")}));
        // What is saved afterwards is what the list shows.
        QVERIFY(rig.controller->saveGroup());
        QCOMPARE(parseGroup(rig.fileOf(0), {}).size(), 3);
    }

    void periodicSaveWritesOnlyChanges()
    {
        Rig rig;
        rig.writeGroup(0, {entry("a")});
        rig.controller->loadGroup(0);
        QFile::remove(rig.paths.groupFile(0));

        // Unchanged since the load: nothing written.
        QVERIFY(rig.controller->saveGroup(MainController::SaveMode::IfChanged));
        QVERIFY(!QFileInfo::exists(rig.paths.groupFile(0)));

        rig.controller->model().appendEntry(entry("b"));
        QVERIFY(rig.controller->saveGroup(MainController::SaveMode::IfChanged));
        QCOMPARE(parseGroup(rig.fileOf(0), {}).size(), 2);

        // Unchanged since that save: nothing written again.
        QFile::remove(rig.paths.groupFile(0));
        QVERIFY(rig.controller->saveGroup(MainController::SaveMode::IfChanged));
        QVERIFY(!QFileInfo::exists(rig.paths.groupFile(0)));

        // The exit save writes whatever the state.
        QVERIFY(rig.controller->saveGroup());
        QCOMPARE(parseGroup(rig.fileOf(0), {}).size(), 2);
    }

    void periodicSaveRunsFromTheMonitorAndRestartsItsCount()
    {
        Rig rig;
        rig.controller->loadGroup(0);
        rig.controller->model().appendEntry(entry("new"));
        for (int tick = 0; tick <= ClipboardMonitor::kSaveAfterMs / ClipboardMonitor::kIntervalMs;
             ++tick)
            rig.controller->monitor().tick(false);
        QCOMPARE(parseGroup(rig.fileOf(0), {}), (QList<TextEntry>{entry("new")}));
        QCOMPARE(rig.controller->monitor().saveElapsedMs(), 0);
    }

    void groupSetUpPicksTheLastGroup_data()
    {
        QTest::addColumn<QString>("startupGroup");
        QTest::addColumn<QString>("lastGroupNo");
        QTest::addColumn<qint32>("current");
        QTest::newRow("last group") << "0"
                                    << "3" << 3;
        QTest::newRow("last group deleted") << "0"
                                            << "7" << 0;
        QTest::newRow("no last group") << "0"
                                       << "" << 0;
        QTest::newRow("default group") << "1"
                                       << "3" << 0;
        QTest::newRow("default and clear") << "2"
                                           << "3" << 0;
    }
    void groupSetUpPicksTheLastGroup()
    {
        QFETCH(QString, startupGroup);
        QFETCH(QString, lastGroupNo);
        QFETCH(qint32, current);
        Rig rig;
        const GroupRegistry registry(rig.paths.registryFile(), rig.paths.dataFolder);
        QVERIFY(registry.ensureExists());
        QVERIFY(registry.addGroup(QStringLiteral("one"), {0}) == 1);
        QVERIFY(registry.addGroup(QStringLiteral("two"), {0, 1}) == 2);
        QVERIFY(registry.addGroup(QStringLiteral("three"), {0, 1, 2}) == 3);
        const Settings settings(rig.paths.iniFile);
        settings.setValue(Setting::StartupGroup, startupGroup);
        settings.setValue(Setting::LastGroupNo, lastGroupNo);

        rig.controller->setUpGroups();
        QCOMPARE(rig.controller->currentGroupNo(), current);
        const GroupSelectorModel &selector = rig.controller->groups().selector();
        QCOMPARE(selector.count(), 5);
        QCOMPARE(selector.numberAt(4), GroupRegistry::kNewGroupValue);
    }

    void saveSetupSkipsTheNewGroupRow()
    {
        Rig rig;
        const Settings settings(rig.paths.iniFile);
        settings.setValue(Setting::LastGroupNo, QStringLiteral("5"));
        rig.controller->setUpGroups();
        GroupSelectorModel &selector = rig.controller->groups().selector();

        selector.setCurrentRow(selector.count() - 1);
        rig.controller->saveSetup(false, true);
        QCOMPARE(settings.value(Setting::LastGroupNo), QStringLiteral("5"));
        QCOMPARE(settings.value(Setting::AutoGet), QStringLiteral("0"));
        QCOMPARE(settings.value(Setting::TopPos), QStringLiteral("1"));

        selector.setCurrentRow(0);
        rig.controller->saveSetup(true, false);
        QCOMPARE(settings.value(Setting::LastGroupNo), QStringLiteral("0"));
        QCOMPARE(settings.value(Setting::AutoGet), QStringLiteral("1"));
        QCOMPARE(settings.value(Setting::TopPos), QStringLiteral("0"));
    }

    void switchingGroupsSavesTheOldOne()
    {
        Rig rig;
        const GroupRegistry registry(rig.paths.registryFile(), rig.paths.dataFolder);
        QVERIFY(registry.ensureExists());
        QCOMPARE(registry.addGroup(QStringLiteral("work"), {0}), 1);
        rig.writeGroup(1, {entry("in one")});
        rig.controller->setUpGroups();
        rig.controller->loadGroup(rig.controller->currentGroupNo());
        rig.controller->model().appendEntry(entry("captured"));

        rig.controller->groups().chooseRow(1);

        QCOMPARE(rig.controller->currentGroupNo(), 1);
        QCOMPARE(rig.texts(), QStringList{QStringLiteral("in one")});
        QCOMPARE(parseGroup(rig.fileOf(0), {}), (QList<TextEntry>{entry("captured")}));
    }
};

QTEST_GUILESS_MAIN(TestMainController)
#include "tst_maincontroller.moc"
