// The desktop-wide key of the main window: which key the settings ask for, what
// the user is told when it cannot be had, and what a press does to the window.
#include "fakes/fakeclipboard.h"
#include "fakes/fakeglobalshortcut.h"
#include "fakes/fakeprompter.h"
#include "platform/paths.h"
#include "settings/inifile.h"
#include "settings/settingskeys.h"
#include "ui/main/hotkeybinding.h"
#include "ui/main/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QKeySequence kDefaultKey(QStringLiteral("Ctrl+Alt+V"));

// A user folder and a window whose desktop is a fake: the tray is there or not,
// and the global shortcut is the fake, kept for the test to press.
struct Rig
{
    explicit Rig(bool trayAvailable = true)
    {
        QDir().mkpath(paths.dataFolder);
        QDir().mkpath(paths.tempFolder);
        settings.writeStartupDefaults();
        env.trayAvailable = [trayAvailable] { return trayAvailable; };
        env.makeGlobalShortcut = [this] {
            auto made = std::make_unique<FakeGlobalShortcut>();
            made->supported = supported;
            made->taken = taken;
            shortcut = made.get();
            return made;
        };
    }
    MainWindow &load()
    {
        window = std::make_unique<MainWindow>(paths, clipboard, &prompter, env);
        window->load();
        return *window;
    }
    // Settings confirmed with the key set to this value (null: the key removed).
    void changeInSettings(const QString &value)
    {
        if (value.isNull())
            IniFile::removeKey(settings.path(), Setting::kSetup, Setting::HotKey.key);
        else
            settings.setValue(Setting::HotKey, value);
        prompter.setupAnswers.push_back(true);
        window->findChild<QAction *>(QStringLiteral("mnuPopup_Setup"))->trigger();
    }
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const FakePrompter::Message &m : prompter.messages) {
            if (m.title == HotKeyBinding::messageTitle())
                texts << m.text;
        }
        return texts;
    }

    QTemporaryDir dir;
    AppPaths paths = AppPaths::forUserFolder(dir.path());
    Settings settings{paths.iniFile};
    FakeClipboard clipboard;
    FakePrompter prompter;
    MainWindow::Environment env;
    std::unique_ptr<MainWindow> window;
    bool supported = true;
    QList<QKeySequence> taken;
    FakeGlobalShortcut *shortcut = nullptr;
};

} // namespace

class TestHotKey : public QObject
{
    Q_OBJECT

private slots:
    // What is asked of the desktop at start-up, and what the user is told once
    // the event loop runs (the window is up by then).
    void startup_data()
    {
        QTest::addColumn<QString>("stored"); // null: no key in the file
        QTest::addColumn<bool>("supported");
        QTest::addColumn<bool>("defaultTaken");
        QTest::addColumn<QKeySequence>("held");
        QTest::addColumn<QString>("message"); // a part of it; "" for none

        QTest::newRow("absent: the default") << QString() << true << false << kDefaultKey << "";
        QTest::newRow("empty: none") << "" << true << true << QKeySequence() << "";
        QTest::newRow("blank: none") << "  " << true << true << QKeySequence() << "";
        QTest::newRow("another key") << "Ctrl+Shift+F12" << true << true
                                     << QKeySequence(QStringLiteral("Ctrl+Shift+F12")) << "";
        QTest::newRow("taken")
            << "Ctrl+Alt+Y" << true << false << QKeySequence()
            << "The global shortcut Ctrl+Alt+Y could not be set up.\r\nCtrl+Alt+Y is already "
               "used by another program.";
        QTest::newRow("default taken") << QString() << true << true << QKeySequence()
                                       << "Ctrl+Alt+V is already used by another program.";
        QTest::newRow("names no key")
            << "Ctrl+Bogus" << true << false << QKeySequence()
            << "The global shortcut Ctrl+Bogus could not be set up.\r\n\"Ctrl+Bogus\" names no "
               "key.";
        // Said when the user sets a key, not at every start.
        QTest::newRow("desktop without shortcuts")
            << QString() << false << false << QKeySequence() << "";
    }
    void startup()
    {
        QFETCH(QString, stored);
        QFETCH(bool, supported);
        QFETCH(bool, defaultTaken);
        QFETCH(QKeySequence, held);
        QFETCH(QString, message);
        Rig rig;
        rig.supported = supported;
        rig.taken = {QKeySequence(QStringLiteral("Ctrl+Alt+Y"))};
        if (defaultTaken)
            rig.taken << kDefaultKey;
        if (!stored.isNull())
            rig.settings.setValue(Setting::HotKey, stored);
        const QByteArray before = readAll(rig.settings.path());
        rig.load();
        QCOMPARE(rig.shortcut->key(), held);
        QVERIFY(rig.messageTexts().isEmpty()); // not while the window is still loading
        QTest::qWait(0);
        QCOMPARE(rig.messageTexts().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(rig.messageTexts().constFirst().contains(message),
                     qPrintable(rig.messageTexts().constFirst()));
        // Start-up only reads the key; a missing one stays missing.
        QCOMPARE(rig.settings.contains(Setting::HotKey), !stored.isNull());
        QCOMPARE(readAll(rig.settings.path()), before);
        QVERIFY(rig.prompter.unexpected.isEmpty());
    }

    // The key is taken again after Settings only when it changed or had failed.
    void changedInSettings()
    {
        Rig rig;
        rig.taken = {QKeySequence(QStringLiteral("Ctrl+Alt+Y"))};
        rig.load();
        QCOMPARE(rig.shortcut->requests, QList<QKeySequence>{kDefaultKey});

        rig.changeInSettings(QString()); // still the default
        rig.changeInSettings(QStringLiteral("Ctrl+Alt+V"));
        QCOMPARE(rig.shortcut->requests.size(), 1);

        rig.changeInSettings(QStringLiteral("Ctrl+Alt+Y")); // taken: said at once
        QCOMPARE(rig.shortcut->key(), QKeySequence());
        QCOMPARE(rig.messageTexts().size(), 1);
        QVERIFY(rig.messageTexts().constLast().contains(u"Ctrl+Alt+Y is already used"));
        rig.taken.clear();
        rig.shortcut->taken.clear();
        rig.changeInSettings(QStringLiteral("Ctrl+Alt+Y")); // freed since: tried again
        QCOMPARE(rig.shortcut->key(), QKeySequence(QStringLiteral("Ctrl+Alt+Y")));

        rig.changeInSettings(QString()); // empty turns it off
        rig.changeInSettings(QStringLiteral(""));
        QCOMPARE(rig.shortcut->key(), QKeySequence());
        QVERIFY(!rig.shortcut->press());
        QCOMPARE(rig.shortcut->requests,
                 (QList<QKeySequence>{kDefaultKey, QKeySequence(QStringLiteral("Ctrl+Alt+Y")),
                                      QKeySequence(QStringLiteral("Ctrl+Alt+Y")), kDefaultKey,
                                      QKeySequence()}));
        QCOMPARE(rig.messageTexts().size(), 1);
        QVERIFY(rig.prompter.unexpected.isEmpty());
    }

    // On a desktop with no global shortcuts, setting one says so.
    void unsupportedSaidWhenSet()
    {
        Rig rig;
        rig.supported = false;
        rig.load();
        QTest::qWait(0);
        QVERIFY(rig.messageTexts().isEmpty());
        rig.changeInSettings(QStringLiteral("Ctrl+Alt+B"));
        QCOMPARE(rig.messageTexts().size(), 1);
        QVERIFY(rig.messageTexts().constFirst().contains(u"No global shortcuts here."));
        rig.changeInSettings(QStringLiteral("Ctrl+Alt+B")); // said once is enough
        rig.changeInSettings(QStringLiteral(""));
        QCOMPARE(rig.messageTexts().size(), 1); // none asked for, nothing to say
    }

    // A press brings the window up in front with the keyboard in the search field; a
    // press while it is in front puts it away, but only into a tray icon that can
    // bring it back.
    void pressShowsAndHides_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<QString>("start"); // hidden, minimized, behind, shown
        QTest::addColumn<QString>("afterFirst");
        QTest::addColumn<QString>("afterSecond");
        QTest::newRow("tray: hidden") << true << "hidden"
                                      << "active"
                                      << "hidden";
        QTest::newRow("tray: minimized") << true << "minimized"
                                         << "active"
                                         << "hidden";
        QTest::newRow("tray: behind another") << true << "behind"
                                              << "active"
                                              << "hidden";
        QTest::newRow("tray: in front") << true << "shown"
                                        << "hidden"
                                        << "active";
        QTest::newRow("no tray: minimized") << false << "minimized"
                                            << "active"
                                            << "active";
        QTest::newRow("no tray: in front") << false << "shown"
                                           << "active"
                                           << "active";
    }
    void pressShowsAndHides()
    {
        QFETCH(bool, trayAvailable);
        QFETCH(QString, start);
        QFETCH(QString, afterFirst);
        QFETCH(QString, afterSecond);
        Rig rig(trayAvailable);
        MainWindow &w = rig.load();
        QWidget other;
        other.setObjectName(QStringLiteral("another program"));
        if (start == u"hidden") {
            w.hide();
        } else if (start == u"minimized") {
            w.showMinimized();
        } else {
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
        }
        if (start == u"behind") {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        }
        auto *search = w.findChild<QLineEdit *>(QStringLiteral("txtSearch"));
        QVERIFY(search);
        w.findChild<QWidget *>(QStringLiteral("chkTopPos"))->setFocus();
        const auto check = [&](const QString &expected) {
            if (expected == u"hidden") {
                QVERIFY(!w.isVisible());
                // The keyboard goes back to the program that had it before.
                other.show();
                other.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&other));
                return;
            }
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QVERIFY(w.isVisible() && !w.isMinimized());
            QCOMPARE(QApplication::focusWidget(), search);
            QVERIFY(search->isVisible());
        };
        QVERIFY(rig.shortcut->press());
        QTest::qWait(0);
        check(afterFirst);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(rig.shortcut->press());
        QTest::qWait(0);
        check(afterSecond);
    }

    // With a dialog open, the key brings up the dialog, which still wants an answer.
    void pressWithADialogOpen()
    {
        Rig rig;
        MainWindow &w = rig.load();
        w.hide();
        QDialog dialog(&w);
        dialog.setModal(true);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(rig.shortcut->press());
        QVERIFY(w.isVisible());
        QVERIFY(dialog.isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }

private:
    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

QTEST_MAIN(TestHotKey)
#include "tst_hotkey.moc"
