#include "capture/clipboardhistory.h"
#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "platform/paths.h"
#include "settings/settingskeys.h"
#include "store/groupfile.h"
#include "ui/groups/groupselectormodel.h"
#include "ui/main/mainwindow.h"
#include "ui/main/popupmenu.h"
#include "ui/main/windowsettings.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

TextEntry entry(const char *text, qint16 protect = 0, const char *caption = "")
{
    return TextEntry{QString::fromUtf8(text), protect, QString::fromUtf8(caption),
                     qint16(*caption ? 1 : 0)};
}

// Each item of a menu as "objectName|caption".
QStringList itemsOf(const QMenu *menu)
{
    QStringList items;
    for (const QAction *action : menu->actions())
        items << action->objectName() + u'|' + action->text();
    return items;
}

// A user folder with its settings, a fake clipboard and scripted dialogs; the
// desktop's tray is a stand-in.
struct Rig
{
    explicit Rig(bool trayAvailable = true)
    {
        QDir().mkpath(paths.dataFolder);
        QDir().mkpath(paths.tempFolder);
        settings.writeStartupDefaults();
        env.trayAvailable = [trayAvailable] { return trayAvailable; };
    }
    MainWindow &load()
    {
        window = std::make_unique<MainWindow>(paths, clipboard, &prompter, env);
        window->load();
        return *window;
    }
    template<typename T = QWidget> T *child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    void writeGroup0(const QList<TextEntry> &entries) const
    {
        QVERIFY(saveGroupFile(paths.groupFile(0), entries));
    }
    // Group 0's file as saved; the file goes, so the next write shows.
    QList<TextEntry> takeSaved() const
    {
        QFile file(paths.groupFile(0));
        const QList<TextEntry> saved =
            file.open(QIODevice::ReadOnly) ? parseGroup(file.readAll(), {}) : QList<TextEntry>();
        file.remove();
        return saved;
    }

    QTemporaryDir dir;
    AppPaths paths = AppPaths::forUserFolder(dir.path());
    Settings settings{paths.iniFile};
    FakeClipboard clipboard;
    FakePrompter prompter;
    MainWindow::Environment env;
    std::unique_ptr<MainWindow> window;
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    // With no browser, help leaves its (trimmed) address on the clipboard; the readme
    // message names the file, also when the opener would claim success for a missing one.
    void browserFallbacks()
    {
        FakeClipboard clipboard;
        FakePrompter prompter;
        BrowserCommands::openHelp(QStringLiteral(" https://h.example/ "), clipboard, prompter,
                                  [](const QUrl &) { return false; });
        BrowserCommands::openReadme(QStringLiteral("/nowhere/Readme.html"), prompter,
                                    [](const QUrl &) { return true; });
        QCOMPARE(clipboard.content, QStringLiteral("https://h.example/"));
        QCOMPARE(prompter.messages.size(), 2);
        QVERIFY(prompter.messages[1].text.endsWith(u"\r\n/nowhere/Readme.html"));
    }
    void loadAppliesTheSettings()
    {
        Rig rig;
        rig.settings.setValue(Setting::AutoGet, QStringLiteral("0"));
        rig.settings.setValue(Setting::TopPos, QStringLiteral("1abc"));
        rig.settings.setValue(Setting::FontName, QStringLiteral("DejaVu Sans"));
        rig.settings.setValue(Setting::FontSize, QStringLiteral("14"));
        rig.settings.setValue(Setting::StartupGroup, QStringLiteral("2"));
        rig.writeGroup0({entry("plain"), entry("kept", 1), entry("named", 0, "cap"),
                         entry("odd flag", 2), entry("last")});
        MainWindow &w = rig.load();
        // StartupGroup 2 keeps only the protected and captioned rows.
        QCOMPARE(
            w.controller().model().entriesInRowOrder(),
            (QList<TextEntry>{entry("kept", 1), entry("named", 0, "cap"), entry("odd flag", 2)}));
        QCOMPARE(rig.child("lblListCounter")->property("text").toString(), QStringLiteral("3"));
        QVERIFY(!rig.child<QAbstractButton>("chkAutoGet")->isChecked());
        QCOMPARE(rig.child<QListView>("lstText")->font().pointSize(), 14);
        // First run: the width of the button strip and a little more.
        QCOMPARE(w.width(), rig.child("picBottom")->sizeHint().width() + 4);

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
        Rig rig(trayAvailable);
        rig.settings.setValue(Setting::InTaskTray, inTaskTray);
        rig.settings.setValue(Setting::StartupState, QStringLiteral("1"));
        MainWindow &w = rig.load();
        const bool inTray = w.isTrayIconShown();
        QCOMPARE(inTray, trayAvailable && inTaskTray == u"1");
        w.showAtStart(); // minimized where it cannot hide
        QCOMPARE(w.isVisible(), !inTray);
        QCOMPARE(w.isMinimized(), !inTray);
        w.showWindow(); // as on a left click on the tray icon
        QVERIFY(w.isVisible() && !w.isMinimized());

        QSignalSpy unloaded(&w, &MainWindow::unloaded);
        w.controller().model().appendEntry(entry("kept"));
        QCOMPARE(w.close(), !inTray);
        QVERIFY(!w.isVisible());
        QCOMPARE(unloaded.size(), inTray ? 0 : 1);
        w.exitApp(); // ends it in every case, and only once
        QCOMPARE(unloaded.size(), 1);
        QCOMPARE(rig.takeSaved(), QList<TextEntry>{entry("kept")});
        QCOMPARE(rig.settings.value(Setting::LastGroupNo), QStringLiteral("0"));
    }

    // A group is written only when it changed since it was loaded or saved: by
    // the periodic save, a group switch or the exit. A group without a file gets one.
    void savesOnlyAChangedGroup()
    {
        Rig rig;
        rig.writeGroup0({entry("a")});
        MainWindow &w = rig.load();
        MainController &c = w.controller();
        rig.clipboard.put(QStringLiteral("copied"));
        c.loadGroup(0); // a load also empties the clipboard
        QCOMPARE(rig.clipboard.content, QString());
        rig.takeSaved(); // from here on a file shows a write
        auto *saveTimer = w.findChild<QTimer *>(QStringLiteral("timSave"));
        saveTimer->setInterval(0);
        QVERIFY(c.saveCurrentGroup());
        QVERIFY(!saveTimer->isActive());
        QCOMPARE(rig.takeSaved(), QList<TextEntry>());

        c.model().appendEntry(entry("b"));
        QTRY_VERIFY(QFile::exists(rig.paths.groupFile(0))); // the periodic save
        QCOMPARE(rig.takeSaved(), (QList<TextEntry>{entry("a"), entry("b")}));
        c.model().swapRows(0, 1);
        c.model().swapRows(0, 1); // changed, though it ends as it was
        w.exitApp();
        QCOMPARE(rig.takeSaved(), (QList<TextEntry>{entry("a"), entry("b")}));

        Rig fresh; // no group file yet: the exit makes one
        fresh.load().exitApp();
        QVERIFY(QFile::exists(fresh.paths.groupFile(0)));
    }

    // The new-group row names no group to come back to.
    void newGroupRowIsNotTheLastGroup()
    {
        Rig rig;
        MainWindow &w = rig.load();
        GroupSelectorModel &selector = w.controller().groups().selector();
        selector.setCurrentRow(selector.count() - 1);
        w.exitApp();
        QVERIFY(rig.settings.isEmpty(Setting::LastGroupNo));
    }

    void shownText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString x = QStringLiteral("x");
        const QString wide = QStringLiteral("\u3042");                // HIRAGANA A, two units wide
        const QString widePair = QString::fromUcs4(U"\U00020B9F", 1); // wide, a surrogate pair
        const QString dots = QStringLiteral("...");
        // clang-format off
        QTest::newRow("40 shown whole") << x.repeated(40) << x.repeated(40);
        QTest::newRow("41 cut") << x.repeated(41) << x.repeated(40) + dots;
        QTest::newRow("wide across the limit kept") << x + wide.repeated(25) << x + wide.repeated(20) + dots;
        QTest::newRow("pair kept whole") << x + widePair.repeated(25) << x + widePair.repeated(20) + dots;
        QTest::newRow("marker cut") << x.repeated(38) + QStringLiteral("\r\ny") << x.repeated(38) + QStringLiteral("[c") + dots;
        // clang-format on
    }
    void shownText()
    {
        QFETCH(QString, text);
        QTEST(TrayMenu::shownText(text), "shown");
    }

    // The tray menu lists the ten latest texts, oldest first; an item puts back the whole text.
    void trayMenu()
    {
        Rig rig;
        MainWindow &w = rig.load();
        QMenu *menu = w.trayMenu();
        QStringList items;
        ClipboardHistory &history = w.controller().monitor().history();
        for (int i = 1; i <= 11; ++i) {
            history.add(QStringLiteral("t%1").arg(i));
            if (i > 2)
                items
                    << QStringLiteral("mnuTaskTray_Text_%1|&%2> t%3").arg(i - 3).arg(i - 2).arg(i);
        }
        history.add(QStringLiteral("Tom & Jerry\r\n"));
        items << QStringLiteral("mnuTaskTray_Text_9|&10> Tom && Jerry[cr]");
        emit menu->aboutToShow();
        QCOMPARE(itemsOf(menu).filter(QStringLiteral("mnuTaskTray_Text_")), items);
        menu->actions().last()->trigger();
        QCOMPARE(rig.clipboard.content, QStringLiteral("Tom & Jerry\r\n"));
        QSignalSpy unloaded(&w, &MainWindow::unloaded);
        w.findChild<QAction *>(QStringLiteral("mnuTaskTray_ExitApp"))->trigger();
        QCOMPARE(unloaded.size(), 1);
    }

    void trayClearListAsksOnlyForExactlyOne()
    {
        Rig rig;
        FakePrompter prompter;
        prompter.messageAnswers = {Prompter::Answer::Cancel, Prompter::Answer::Ok};
        ClipboardHistory history;
        history.add(QStringLiteral("a"));
        rig.settings.setValue(Setting::MsgDelTasktrayMenuList, u"1");
        QVERIFY(!TrayMenu::clearList(rig.settings, prompter, history)); // Cancel
        QVERIFY(!TrayMenu::textItems(history).isEmpty());
        QVERIFY(TrayMenu::clearList(rig.settings, prompter, history)); // Ok
        QVERIFY(TrayMenu::textItems(history).isEmpty());
        rig.settings.setValue(Setting::MsgDelTasktrayMenuList, u"1.0");
        history.add(QStringLiteral("a"));
        QVERIFY(TrayMenu::clearList(rig.settings, prompter, history)); // cleared without asking
        QCOMPARE(prompter.messages.size(), 2);
        QCOMPARE(prompter.messages.at(0).title + u'/' + prompter.messages.at(0).text,
                 QStringLiteral("Confirm/clear the list below."));
    }

    void popupMenu()
    {
        Rig rig;
        MainWindow &w = rig.load();
        // The default group can be neither renamed nor deleted.
        w.openPopupMenu(QPoint(10, 10));
        const auto item = [&w](const char *name) {
            return w.findChild<QAction *>(QLatin1String(name));
        };
        QVERIFY(!item("mnuPopup_Group_Name")->isEnabled());
        QVERIFY(!item("mnuPopup_Group_Remove")->isEnabled());
    }

    void startPlacement_data()
    {
        QTest::addColumn<QString>("stored"); // Width,Height,Top,Left in twips
        QTest::addColumn<QRect>("geometry"); // at -1,-1: placed by the window system
        // clang-format off
        QTest::newRow("first run: 189 wide, design height") << "" << QRect(-1, -1, 189, 288);
        QTest::newRow("width 0 ignores the rest") << "0,3000,1500,1500" << QRect(-1, -1, 189, 288);
        QTest::newRow("top and left 0: not placed") << "4500,6000,0,0" << QRect(-1, -1, 300, 400);
        QTest::newRow("negative moved to the edge") << "4500,6000,-300,-15" << QRect(0, 0, 300, 400);
        QTest::newRow("larger than the screen cut") << "30000,20000,150,150" << QRect(0, 0, 1024, 768);
        QTest::newRow("beyond the right edge moved in") << "4500,6000,150,11250" << QRect(724, 10, 300, 400);
        QTest::newRow("unplugged monitor") << "4500,6000,30000,60000" << QRect(1524, 200, 300, 400);
        QTest::newRow("huge values") << "1e12,1e12,1e12,1e12" << QRect(1024, 0, 800, 600);
        QTest::newRow("second screen kept") << "4500,6000,1500,18000" << QRect(1200, 100, 300, 400);
        // clang-format on
    }
    void startPlacement()
    {
        QFETCH(QString, stored);
        Rig rig;
        const SettingKey keys[] = {Setting::Width, Setting::Height, Setting::Top, Setting::Left};
        for (int i = 0; i < 4; ++i)
            rig.settings.setValue(keys[i], stored.split(u',').value(i));
        const WindowSettings::Placement p = WindowSettings::startPlacement(
            rig.settings, {210, 288}, 189, {QRect(0, 0, 1024, 768), QRect(1024, 0, 800, 600)});
        QTEST(QRect(p.position.value_or(QPoint(-1, -1)), p.size), "geometry");
    }

    void listFont()
    {
        Rig rig;
        const QFont fallback = WindowSettings::defaultListFont();
        rig.settings.setValue(Setting::FontName, QStringLiteral("  "));
        rig.settings.setValue(Setting::FontBold, QStringLiteral("1"));
        QCOMPARE(WindowSettings::listFont(rig.settings, fallback), fallback);
        // Whatever family stands in for Courier New, the columns must line up.
        const QFontMetrics metrics(fallback);
        QCOMPARE(metrics.horizontalAdvance(u'i'), metrics.horizontalAdvance(u'W'));

        // A size that cannot be used keeps the fallback's.
        rig.settings.setValue(Setting::FontName, QStringLiteral("DejaVu Sans"));
        rig.settings.setValue(Setting::FontSize, QStringLiteral("100000"));
        const QFont font = WindowSettings::listFont(rig.settings, fallback);
        QVERIFY(font.family() == u"DejaVu Sans" && font.bold() && font.pointSize() == 9);
    }

    // The window's own dialogs, as the program shows them (no stand-in prompter).
    void popupCommandsOpenTheirDialogs_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("about") << QStringLiteral("mnuPopup_Version") << QStringLiteral("frmAbout");
        QTest::newRow("order") << QStringLiteral("mnuPopup_Group_ListUpDown")
                               << QStringLiteral("frmGroupOrder");
        QTest::newRow("copy") << QStringLiteral("mnuPopup_Group_Copy")
                              << QStringLiteral("frmGroupCopy");
    }
    void popupCommandsOpenTheirDialogs()
    {
        QFETCH(QString, action);
        QFETCH(QString, dialog);
        Rig rig;
        rig.window = std::make_unique<MainWindow>(rig.paths, rig.clipboard, nullptr, rig.env);
        rig.window->load();
        QString shown;
        QTimer::singleShot(0, rig.window.get(), [&shown] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                shown = modal->objectName();
                modal->close();
            }
        });
        rig.window->findChild<QAction *>(action)->trigger();
        QCOMPARE(shown, dialog);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
