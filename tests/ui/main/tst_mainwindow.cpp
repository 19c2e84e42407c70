#include "windowrig.h"

#include "ui/groups/groupselectormodel.h"
#include "ui/main/windowsettings.h"

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void loadAppliesTheSettings()
    {
        WindowRig rig;
        const std::pair<SettingKey, const char16_t *> stored[] = {
            {Setting::AutoGet, u"0"},
            {Setting::TopPos, u"1abc"},
            {Setting::FontName, u"DejaVu Sans"},
            {Setting::FontSize, u"14"},
            {Setting::StartupGroup, u"2"}};
        for (const auto &[key, value] : stored)
            rig.settings.setValue(key, value);
        const QList<TextEntry> kept{entry(u"kept"_s, 1), entry(u"named"_s, 0, u"cap"_s),
                                    entry(u"odd flag"_s, 2)};
        MainWindow &w = rig.load({entry(u"plain"_s), kept[0], kept[1], kept[2], entry(u"z"_s)});
        // StartupGroup 2 keeps only the protected and captioned rows.
        QCOMPARE(rig.controller().model().entriesInRowOrder(), kept);
        QCOMPARE(rig.counter(), u"3"_s);
        QVERIFY(!rig.child<QAbstractButton>("chkAutoGet")->isChecked());
        QCOMPARE(rig.list()->font().pointSize(), 14);

        // Turning "Always on Top" re-creates the native window, which must not stay hidden.
        w.show();
        for (const bool on : {true, false, true}) { // on at first: "1abc" counts as 1
            rig.child<QAbstractButton>("chkTopPos")->setChecked(on);
            QCOMPARE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
            QVERIFY(w.isVisible());
        }
    }

    // The window hides in the tray only while its icon is shown: with no
    // notification area, or the icon turned off, it could never come back.
    void startAndClose_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<QString>("inTaskTray");
        QTest::newRow("tray icon shown") << true << "1";
        QTest::newRow("no tray available") << false << "1";
        QTest::newRow("tray icon turned off") << true << "0";
    }
    void startAndClose()
    {
        QFETCH(bool, trayAvailable);
        QFETCH(QString, inTaskTray);
        WindowRig rig(trayAvailable);
        rig.settings.setValue(Setting::InTaskTray, inTaskTray);
        rig.settings.setValue(Setting::StartupState, u"1");
        MainWindow &w = rig.load();
        const bool inTray = w.isTrayIconShown();
        QCOMPARE(inTray, trayAvailable && inTaskTray == u"1");
        w.showAtStart(); // minimized where it cannot hide
        QCOMPARE(w.isVisible(), !inTray);
        QCOMPARE(w.isMinimized(), !inTray);
        w.showWindow(); // as on a left click on the tray icon
        QVERIFY(w.isVisible() && !w.isMinimized());

        QSignalSpy unloaded(&w, &MainWindow::unloaded);
        rig.controller().model().appendEntry(entry(u"kept"_s));
        QCOMPARE(w.close(), !inTray);
        QVERIFY(!w.isVisible());
        QCOMPARE(unloaded.size(), inTray ? 0 : 1);
        w.exitApp(); // ends it in every case, and only once
        QCOMPARE(unloaded.size(), 1);
        QCOMPARE(readGroup(rig.paths.groupFile(0)), QList<TextEntry>{entry(u"kept"_s)});
        QCOMPARE(rig.settings.value(Setting::LastGroupNo), u"0"_s);
    }

    // A group is written only when it changed since it was loaded or saved: by
    // the periodic save, a group switch or the exit. A group without a file gets one.
    void savesOnlyAChangedGroup()
    {
        WindowRig rig;
        MainWindow &w = rig.load({entry(u"a"_s)});
        MainController &c = w.controller();
        const QString file = rig.paths.groupFile(0);
        const QList<TextEntry> changed{entry(u"a"_s), entry(u"b"_s)};
        rig.clipboard.put(u"copied"_s);
        c.loadGroup(0); // a load also empties the clipboard
        QCOMPARE(rig.clipboard.content, QString());
        QFile::remove(file); // from here on a file shows a write
        auto *saveTimer = w.findChild<QTimer *>(u"timSave"_s);
        saveTimer->setInterval(0);
        QVERIFY(c.saveCurrentGroup());
        QVERIFY(!saveTimer->isActive());
        QVERIFY(!QFile::exists(file));

        c.model().appendEntry(entry(u"b"_s));
        QTRY_VERIFY(QFile::exists(file)); // the periodic save
        QCOMPARE(readGroup(file), changed);
        QFile::remove(file);
        c.model().swapRows(0, 1);
        c.model().swapRows(0, 1); // changed, though it ends as it was
        w.exitApp();
        QCOMPARE(readGroup(file), changed);

        // No group file yet: the exit makes one. The new-group row is no group to come back to.
        WindowRig fresh;
        GroupSelectorModel &selector = fresh.load().controller().groups().selector();
        selector.setCurrentRow(selector.count() - 1);
        fresh.window->exitApp();
        QVERIFY(QFile::exists(fresh.paths.groupFile(0)));
        QVERIFY(fresh.settings.isEmpty(Setting::LastGroupNo));
    }

    void startPlacement_data()
    {
        QTest::addColumn<QString>("stored"); // Width,Height,Top,Left in twips
        QTest::addColumn<QRect>("geometry"); // at -1,-1: placed by the window system
        // clang-format off
        QTest::newRow("first run: 189 wide, design height") << "" << QRect(-1, -1, 189, 288);
        QTest::newRow("width 0 ignores the rest") << "0,3000,1500,1500" << QRect(-1, -1, 189, 288);
        QTest::newRow("height 0 keeps the design's") << "6000,0,0," << QRect(-1, -1, 400, 288);
        QTest::newRow("numbers read as far as they go") << "1500x,1508,x,-750" << QRect(0, 0, 100, 101);
        QTest::newRow("top and left 0: not placed") << "4500,6000,0,0" << QRect(-1, -1, 300, 400);
        QTest::newRow("second screen kept") << "4500,6000,1500,18000" << QRect(1200, 100, 300, 400);
        QTest::newRow("huge values") << "1e12,1e12,1e12,1e12" << QRect(1024, 0, 800, 600);
        // clang-format on
    }
    void startPlacement()
    {
        QFETCH(QString, stored);
        WindowRig rig;
        const SettingKey keys[] = {Setting::Width, Setting::Height, Setting::Top, Setting::Left};
        for (int i = 0; i < 4; ++i)
            rig.settings.setValue(keys[i], stored.split(u',').value(i));
        const WindowSettings::Placement p = WindowSettings::startPlacement(
            rig.settings, {210, 288}, 189, {QRect(0, 0, 1024, 768), QRect(1024, 0, 800, 600)});
        QTEST(QRect(p.position.value_or(QPoint(-1, -1)), p.size), "geometry");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
