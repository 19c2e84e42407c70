#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "platform/paths.h"
#include "settings/settingskeys.h"
#include "store/groupfile.h"
#include "ui/main/exitsignals.h"
#include "ui/main/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>

namespace {

TextEntry entry(const char *text, qint16 protect = 0)
{
    return TextEntry{QString::fromUtf8(text), protect, QString(), 0};
}

// A main window over a fresh user folder; the desktop's tray and browser are
// stand-ins the test controls.
struct Rig
{
    explicit Rig(bool trayAvailable = true)
        : paths(AppPaths::forUserFolder(dir.path()))
        , settings(paths.iniFile)
    {
        QDir().mkpath(paths.dataFolder);
        QDir().mkpath(paths.tempFolder);
        settings.writeStartupDefaults();
        env.trayAvailable = [this] { return tray; };
        env.openUrl = [this](const QUrl &url) {
            opened.append(url);
            return browserWorks;
        };
        env.programFolder = dir.filePath(QStringLiteral("bin"));
        tray = trayAvailable;
    }

    MainWindow &make()
    {
        window = std::make_unique<MainWindow>(paths, clipboard, &prompter, env);
        return *window;
    }
    MainWindow &load()
    {
        make().load();
        return *window;
    }
    template<typename T> T *child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    QList<TextEntry> savedGroup(qint32 number) const
    {
        QFile file(paths.groupFile(number));
        return file.open(QIODevice::ReadOnly) ? parseGroup(file.readAll(), {}) : QList<TextEntry>();
    }

    QTemporaryDir dir;
    AppPaths paths;
    Settings settings;
    FakeClipboard clipboard;
    FakePrompter prompter;
    MainWindow::Environment env;
    bool tray = true;
    bool browserWorks = true;
    QList<QUrl> opened;
    std::unique_ptr<MainWindow> window;
};

QStringList names(std::initializer_list<const char *> latin1)
{
    QStringList out;
    for (const char *name : latin1)
        out << QString::fromLatin1(name);
    return out;
}

QStringList actionNames(const QMenu *menu)
{
    QStringList names;
    for (const QAction *action : menu->actions())
        names << action->objectName();
    return names;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void controlsByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("chkTopPos") << "chkTopPos"
                                   << "Always on Top"
                                   << "keep this window on top";
        QTest::newRow("chkAutoGet") << "chkAutoGet"
                                    << "Automatically"
                                    << "get text from clipboard automatically";
        QTest::newRow("lblMenu") << "lblMenu"
                                 << "Menu"
                                 << "";
        QTest::newRow("lblListCounter") << "lblListCounter"
                                        << "0"
                                        << "counter of list";
        QTest::newRow("btnProtect") << "btnProtect"
                                    << "P #"
                                    << "protect from Delete and clear";
        QTest::newRow("btnNamed") << "btnNamed"
                                  << "N @"
                                  << "Another caption";
        QTest::newRow("btnEdit") << "btnEdit"
                                 << "Edit"
                                 << "edit a selected text";
        QTest::newRow("btnAdd") << "btnAdd"
                                << "Add"
                                << "add new text";
        QTest::newRow("btnDelete") << "btnDelete"
                                   << "Delete"
                                   << "delete selected text except [P#] and [N@]";
        QTest::newRow("btnClear") << "btnClear"
                                  << "Clear"
                                  << "clear list except [P#] and [N@]";
        QTest::newRow("btnUp") << "btnUp"
                               << ""
                               << "move it up";
        QTest::newRow("btnDown") << "btnDown"
                                 << ""
                                 << "move it down";
    }
    void controlsByName()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, toolTip);
        Rig rig;
        MainWindow &w = rig.load();
        QWidget *control = w.findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            QCOMPARE(button->text(), caption);
        else
            QCOMPARE(qobject_cast<QLabel *>(control)->text(), caption);
        QCOMPARE(control->toolTip(), toolTip);
    }

    void frameAndList()
    {
        Rig rig;
        MainWindow &w = rig.load();
        QCOMPARE(w.objectName(), QStringLiteral("frmMain"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Pastebasket"));
        auto *list = rig.child<QListView>("lstText");
        QVERIFY(list);
        QCOMPARE(list->toolTip(),
                 QStringLiteral("Selected text go into the clipboard, you may paste it."));
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(rig.child<QComboBox>("cobGroup")->isVisibleTo(&w));
        QVERIFY(rig.child<QWidget>("picTop") && rig.child<QWidget>("picBottom"));
        auto *timer = rig.child<QTimer>("timMain");
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 200);

        // Tab order runs through the buttons in their design order.
        QStringList order;
        QWidget *next = rig.child<QWidget>("btnProtect");
        for (int i = 0; i < 8; ++i, next = next->nextInFocusChain())
            order << next->objectName();
        QCOMPARE(order, (names({"btnProtect", "btnNamed", "btnEdit", "btnAdd", "btnDelete",
                                "btnClear", "btnUp", "btnDown"})));
    }

    void loadAppliesTheSettings()
    {
        Rig rig;
        rig.settings.setValue(Setting::AutoGet, QStringLiteral("0"));
        rig.settings.setValue(Setting::TopPos, QStringLiteral("1abc"));
        rig.settings.setValue(Setting::FontName, QStringLiteral("DejaVu Sans"));
        rig.settings.setValue(Setting::FontSize, QStringLiteral("14"));
        rig.clipboard.put(QStringLiteral("copied before the start"));
        QVERIFY(saveGroupFile(rig.paths.groupFile(0), rig.paths.tempGroupFile(),
                              {entry("one"), entry("two", 1)}));

        MainWindow &w = rig.load();
        QCOMPARE(rig.clipboard.content, QString());
        QVERIFY(!rig.child<QAbstractButton>("chkAutoGet")->isChecked());
        QVERIFY(rig.child<QAbstractButton>("chkTopPos")->isChecked());
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(rig.child<QListView>("lstText")->font().pointSize(), 14);
        QCOMPARE(rig.child<QLabel>("lblListCounter")->text(), QStringLiteral("2"));
        // First run: the width of the button strip and a little more.
        QCOMPARE(w.width(), rig.child<QWidget>("picBottom")->sizeHint().width() + 4);
    }

    void alwaysOnTopKeepsTheWindowShown()
    {
        Rig rig;
        MainWindow &w = rig.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *box = rig.child<QAbstractButton>("chkTopPos");
        for (bool on : {false, true}) {
            box->setChecked(on);
            QCOMPARE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
            QVERIFY(w.isVisible());
        }
    }

    void closeHidesWhileTheTrayIconIsShown()
    {
        Rig rig;
        MainWindow &w = rig.load();
        QVERIFY(w.isTrayIconShown());
        QSignalSpy unloaded(&w, &MainWindow::unloaded);
        w.show();
        QVERIFY(!w.close());
        QVERIFY(!w.isVisible());
        QCOMPARE(unloaded.size(), 0);

        // The tray's left click brings it back.
        w.showWindow();
        QVERIFY(w.isVisible());

        // The exit commands end the program and save.
        w.controller().model().appendEntry(entry("kept"));
        w.exitApp();
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(!w.isTrayIconShown());
        QCOMPARE(rig.savedGroup(0), QList<TextEntry>{entry("kept")});
        QCOMPARE(rig.settings.value(Setting::LastGroupNo), QStringLiteral("0"));
        QCOMPARE(rig.settings.value(Setting::AutoGet), QStringLiteral("1"));
    }

    void closeEndsWithoutATray()
    {
        // With no notification area the icon cannot be shown, and a hidden
        // window could never be brought back: closing ends the program.
        Rig rig(false);
        MainWindow &w = rig.load();
        QVERIFY(!w.isTrayIconShown());
        QSignalSpy unloaded(&w, &MainWindow::unloaded);
        w.show();
        w.controller().model().appendEntry(entry("kept"));
        QVERIFY(w.close());
        QCOMPARE(unloaded.size(), 1);
        QCOMPARE(rig.savedGroup(0), QList<TextEntry>{entry("kept")});
        QVERIFY(!rig.settings.value(Setting::Width).isEmpty());
    }

    void closeEndsOnceTheIconIsTurnedOff()
    {
        Rig rig;
        MainWindow &w = rig.load();
        rig.settings.setValue(Setting::InTaskTray, QStringLiteral("0"));
        rig.prompter.setupAnswers.push_back(true);
        w.openSetup();
        QVERIFY(!w.isTrayIconShown());
        rig.settings.setValue(Setting::InTaskTray, QStringLiteral("1"));
        rig.prompter.setupAnswers.push_back(false); // cancelled: nothing changes
        w.openSetup();
        QVERIFY(!w.isTrayIconShown());
        rig.prompter.setupAnswers.push_back(true);
        w.openSetup();
        QVERIFY(w.isTrayIconShown());
    }

    void startupState_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("minimized");
        QTest::newRow("in the tray") << true << false << false;
        QTest::newRow("no tray") << false << true << true;
    }
    void startupState()
    {
        QFETCH(bool, tray);
        QFETCH(bool, visible);
        QFETCH(bool, minimized);
        Rig rig(tray);
        rig.settings.setValue(Setting::StartupState, QStringLiteral("1"));
        MainWindow &w = rig.load();
        w.showAtStart();
        QCOMPARE(w.isVisible(), visible);
        QCOMPARE(w.isMinimized(), minimized);
    }

    void exitWhileMaximizedSavesTheNormalGeometry()
    {
        Rig rig;
        rig.settings.setValue(Setting::Width, QStringLiteral("4500"));
        rig.settings.setValue(Setting::Height, QStringLiteral("6000"));
        rig.settings.setValue(Setting::Top, QStringLiteral("1500"));
        rig.settings.setValue(Setting::Left, QStringLiteral("3000"));
        MainWindow &w = rig.load();
        QCOMPARE(w.geometry(), QRect(200, 100, 300, 400));
        w.showMaximized();
        QTRY_VERIFY(w.isMaximized());
        w.exitApp();
        QCOMPARE(rig.settings.value(Setting::WindowState), QStringLiteral("2"));
        QCOMPARE(rig.settings.value(Setting::Width), QStringLiteral("4500"));
        QCOMPARE(rig.settings.value(Setting::Height), QStringLiteral("6000"));
        QCOMPARE(rig.settings.value(Setting::Top), QStringLiteral("1500"));
        QCOMPARE(rig.settings.value(Setting::Left), QStringLiteral("3000"));
    }

    void trayMenuItems()
    {
        Rig rig;
        MainWindow &w = rig.load();
        QMenu *menu = w.trayMenu();
        QCOMPARE(menu->objectName(), QStringLiteral("mnuTaskTray"));
        emit menu->aboutToShow();
        QCOMPARE(actionNames(menu),
                 (names({"mnuTaskTray_Open", "mnuTaskTray_Line1", "mnuTaskTray_ExitApp"})));

        ClipboardHistory &history = w.controller().monitor().history();
        history.add(QStringLiteral("older"));
        history.add(QStringLiteral("newer"));
        emit menu->aboutToShow();
        QCOMPARE(actionNames(menu), (names({"mnuTaskTray_Open", "mnuTaskTray_Line1",
                                            "mnuTaskTray_ExitApp", "mnuTaskTray_LineOfListClear",
                                            "mnuTaskTray_ListClear", "mnuTaskTray_LineTopOfList",
                                            "mnuTaskTray_Text_0", "mnuTaskTray_Text_1"})));
        QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("&Open"));
        QCOMPARE(menu->actions().at(2)->text(), QStringLiteral("E&xit"));
        QCOMPARE(menu->actions().at(4)->text(), QStringLiteral("&Clear the List below"));
        QVERIFY(menu->actions().at(6)->text().endsWith(QStringLiteral("older")));

        menu->actions().at(7)->trigger();
        QCOMPARE(rig.clipboard.content, QStringLiteral("newer"));

        rig.prompter.messageAnswers.push_back(Prompter::Answer::Ok);
        menu->actions().at(4)->trigger();
        emit menu->aboutToShow();
        QCOMPARE(menu->actions().size(), 3);

        QSignalSpy unloaded(&w, &MainWindow::unloaded);
        menu->actions().at(2)->trigger();
        QCOMPARE(unloaded.size(), 1);
    }

    void popupMenuStructure()
    {
        Rig rig;
        MainWindow &w = rig.load();
        QMenu *popup = w.popupMenu();
        QCOMPARE(popup->objectName(), QStringLiteral("mnuPopup"));
        QCOMPARE(actionNames(popup),
                 (names({"mnuPopup_Group", "mnuPopup_Line1", "mnuPopup_Setup", "mnuPopup_ListFont",
                         "mnuPopup_Line2", "mnuPopup_Help", "mnuPopup_ReadMe", "mnuPopup_Line5",
                         "mnuPopup_Version", "mnuPopup_Line6", "mnuPopup_ExitApp"})));
        QStringList captions;
        for (const QAction *action : popup->actions())
            captions << action->text();
        QCOMPARE(captions,
                 (names({"&Group", "", "&Settings", "&Font of the list", "", "Online &Help",
                         "&Readme", "", "&About Pastebasket...", "", "E&xit"})));
        QMenu *group = popup->actions().at(0)->menu();
        QVERIFY(group);
        QCOMPARE(actionNames(group),
                 (names({"mnuPopup_Group_Name", "mnuPopup_Group_Copy", "mnuPopup_Group_ListUpDown",
                         "mnuPopup_Group_Line1", "mnuPopup_Group_Remove"})));
        QCOMPARE(group->actions().at(1)->text(), QStringLiteral("&Copy or Move, between groups "));

        // The default group can be neither renamed nor deleted.
        w.openPopupMenu(QPoint(10, 10));
        QVERIFY(!group->actions().at(0)->isEnabled());
        QVERIFY(!group->actions().at(4)->isEnabled());
        popup->close();
    }

    void listFontChooser()
    {
        Rig rig;
        MainWindow &w = rig.load();
        auto *list = rig.child<QListView>("lstText");
        const QFont before = list->font();
        rig.prompter.fontAnswers.push_back(std::nullopt);
        w.chooseListFont();
        QCOMPARE(list->font(), before);
        QCOMPARE(rig.settings.value(Setting::FontName), QString());

        QFont chosen(QStringLiteral("DejaVu Serif"), 13);
        chosen.setItalic(true);
        rig.prompter.fontAnswers.push_back(chosen);
        w.chooseListFont();
        QCOMPARE(list->font().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(rig.settings.value(Setting::FontSize), QStringLiteral("13"));
        QCOMPARE(rig.settings.value(Setting::FontItalic), QStringLiteral("1"));
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

    void helpAndReadmeFallBackWhenNoBrowserRuns()
    {
        Rig rig;
        rig.browserWorks = false;
        MainWindow &w = rig.load();
        w.findChild<QAction *>(QStringLiteral("mnuPopup_Help"))->trigger();
        QCOMPARE(rig.opened.size(), 1);
        QCOMPARE(rig.clipboard.content, rig.opened.at(0).toString());
        QCOMPARE(rig.prompter.messages.size(), 1);
        QCOMPARE(rig.prompter.messages.at(0).title, QStringLiteral("system error"));
        QVERIFY(rig.prompter.messages.at(0).text.startsWith(QStringLiteral("ie don't run.\r\n")));

        // No readme anywhere: its expected place is named, and no browser is asked.
        w.findChild<QAction *>(QStringLiteral("mnuPopup_ReadMe"))->trigger();
        QCOMPARE(rig.opened.size(), 1);
        QCOMPARE(rig.prompter.messages.size(), 2);
        QCOMPARE(rig.prompter.messages.at(1).text,
                 QStringLiteral("ie is not opened...Please read the blow html yourself.\r\n") +
                     rig.env.programFolder + QStringLiteral("/Readme.html"));
    }

    void terminationSignalsArriveOnTheEventLoop()
    {
        ExitSignals signals_;
        QVERIFY(signals_.isActive());
        QSignalSpy spy(&signals_, &ExitSignals::exitRequested);
        std::raise(SIGTERM);
        QVERIFY(spy.wait(2000));
        QCOMPARE(spy.at(0).at(0).toInt(), SIGTERM);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
