// The desktop-wide key of the main window: which key the settings ask for, what
// the user is told when it cannot be had, and what a press does to the window.
#include "windowrig.h"

#include "settings/inifile.h"
#include "ui/main/hotkeybinding.h"

namespace {

const QKeySequence kDefaultKey(u"Ctrl+Alt+V"_s), kTakenKey(u"Ctrl+Alt+Y"_s);

struct Rig : WindowRig
{
    using WindowRig::WindowRig;
    // Settings confirmed with the key set to this value (null: the key removed).
    void changeInSettings(const QString &value)
    {
        if (value.isNull())
            IniFile::removeKey(settings.path(), Setting::kSetup, Setting::HotKey.key);
        else
            settings.setValue(Setting::HotKey, value);
        prompter.setupAnswers.push_back(true);
        child<QAction>("mnuPopup_Setup")->trigger();
    }
    QStringList told() const
    {
        QStringList texts;
        for (const FakePrompter::Message &m : prompter.messages)
            if (m.title == HotKeyBinding::messageTitle())
                texts << m.text;
        return texts;
    }
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
        const QKeySequence none;
        // clang-format off
        QTest::newRow("absent: the default") << QString() << true << false << kDefaultKey << "";
        QTest::newRow("empty: none") << "" << true << true << none << "";
        QTest::newRow("another key") << "Ctrl+Shift+F12" << true << true << QKeySequence(u"Ctrl+Shift+F12"_s) << "";
        QTest::newRow("taken") << "Ctrl+Alt+Y" << true << false << none << "Ctrl+Alt+Y is already used";
        QTest::newRow("default taken") << QString() << true << true << none << "Ctrl+Alt+V is already used";
        QTest::newRow("names no key") << "Ctrl+Bogus" << true << false << none << "Ctrl+Bogus";
        // Said when the user sets a key, not at every start.
        QTest::newRow("desktop without shortcuts") << QString() << false << false << none << "";
        // clang-format on
    }
    void startup()
    {
        QFETCH(QString, stored);
        QFETCH(bool, supported);
        QFETCH(bool, defaultTaken);
        QFETCH(QString, message);
        Rig rig;
        rig.supported = supported;
        rig.taken = {kTakenKey};
        if (defaultTaken)
            rig.taken << kDefaultKey;
        if (!stored.isNull())
            rig.settings.setValue(Setting::HotKey, stored);
        rig.load();
        QTEST(rig.shortcut->key(), "held");
        QVERIFY(rig.told().isEmpty()); // not while the window is still loading
        QTest::qWait(0);
        QCOMPARE(rig.told().size(), message.isEmpty() ? 0 : 1);
        QVERIFY2(rig.told().value(0).contains(message), qPrintable(rig.told().value(0)));
        // Start-up only reads the key; a missing one stays missing.
        QCOMPARE(rig.settings.contains(Setting::HotKey), !stored.isNull());
    }

    // The key is taken again after Settings only when it changed or had failed.
    void changedInSettings()
    {
        Rig rig;
        rig.taken = {kTakenKey};
        rig.load();
        rig.changeInSettings(QString()); // still the default
        rig.changeInSettings(u"Ctrl+Alt+V"_s);
        QCOMPARE(rig.shortcut->requests, QList<QKeySequence>{kDefaultKey});

        rig.changeInSettings(u"Ctrl+Alt+Y"_s); // taken: said at once
        QCOMPARE(rig.shortcut->key(), QKeySequence());
        QCOMPARE(rig.told().size(), 1);
        QVERIFY(rig.told().constLast().contains(u"Ctrl+Alt+Y is already used"));
        rig.shortcut->taken.clear();
        rig.changeInSettings(u"Ctrl+Alt+Y"_s); // freed since: tried again
        QCOMPARE(rig.shortcut->key(), kTakenKey);

        rig.changeInSettings(QString()); // the default again, then empty turns it off
        rig.changeInSettings(u""_s);
        QVERIFY(!rig.shortcut->press());
        QCOMPARE(rig.shortcut->requests,
                 (QList<QKeySequence>{kDefaultKey, kTakenKey, kTakenKey, kDefaultKey, {}}));
        QCOMPARE(rig.told().size(), 1);

        // On a desktop with no global shortcuts, setting one says so, once.
        rig.shortcut->supported = false;
        rig.changeInSettings(u"Ctrl+Alt+B"_s);
        rig.changeInSettings(u"Ctrl+Alt+B"_s);
        rig.changeInSettings(u""_s); // none asked for, nothing to say
        QCOMPARE(rig.told().size(), 2);
        QVERIFY(rig.told().constLast().contains(u"No global shortcuts here."));
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
        // clang-format off
        QTest::newRow("tray: hidden") << true << "hidden" << "active" << "hidden";
        QTest::newRow("tray: minimized") << true << "minimized" << "active" << "hidden";
        QTest::newRow("tray: behind another") << true << "behind" << "active" << "hidden";
        QTest::newRow("tray: in front") << true << "shown" << "hidden" << "active";
        QTest::newRow("no tray: in front") << false << "shown" << "active" << "active";
        // clang-format on
    }
    void pressShowsAndHides()
    {
        QFETCH(bool, trayAvailable);
        QFETCH(QString, start);
        QFETCH(QString, afterFirst);
        QFETCH(QString, afterSecond);
        Rig rig(trayAvailable);
        MainWindow &w = rig.load();
        QWidget other; // another program
        const auto activate = [](QWidget *window) {
            window->show();
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
        };
        if (start == u"hidden")
            w.hide();
        else if (start == u"minimized")
            w.showMinimized();
        else
            activate(&w);
        if (start == u"behind")
            activate(&other);
        rig.child("chkTopPos")->setFocus();
        for (const QString &expected : {afterFirst, afterSecond}) {
            QVERIFY(rig.shortcut->press());
            QTest::qWait(0);
            if (expected == u"hidden") {
                QVERIFY(!w.isVisible());
                activate(&other); // the keyboard goes back to the program that had it
            } else {
                QVERIFY(QTest::qWaitForWindowActive(&w));
                QVERIFY(w.isVisible() && !w.isMinimized());
                QVERIFY(rig.search()->isVisible() && QApplication::focusWidget() == rig.search());
            }
        }
    }
};

QTEST_MAIN(TestHotKey)
#include "tst_hotkey.moc"
