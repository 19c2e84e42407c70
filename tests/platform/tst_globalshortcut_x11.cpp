// Keys grabbed on a real X server (Xvfb), pressed through XTEST with xdotool as
// a user's keyboard would, and held by another client for the conflicts.
#include "e2e/xdesktop.h"
#include "platform/globalshortcut_x11.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {
const QKeySequence kCtrlAltV(QStringLiteral("Ctrl+Alt+V"));
}

class TestGlobalShortcutX11 : public QObject
{
    Q_OBJECT

public:
    explicit TestGlobalShortcutX11(const XDesktop &desktop)
        : m_desktop(desktop)
    {}

private slots:
    void initTestCase()
    {
        if (!X11GlobalShortcut::isAvailable())
            QSKIP("Xvfb is not installed or did not start");
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("xdotool is not installed");
    }
    void cleanup()
    {
        if (m_other) {
            xcb_disconnect(m_other);
            m_other = nullptr;
        }
    }

    // The key fires whatever lock lights are on, and only for its own combination.
    void pressFiresOnlyTheGrabbedKey_data()
    {
        QTest::addColumn<QString>("grabbed");
        QTest::addColumn<QString>("pressed"); // xdotool key arguments, blank-separated
        QTest::addColumn<int>("fired");
        QTest::newRow("plain") << "Ctrl+Alt+V"
                               << "ctrl+alt+v" << 1;
        QTest::newRow("caps lock on") << "Ctrl+Alt+V"
                                      << "Caps_Lock ctrl+alt+v Caps_Lock" << 1;
        QTest::newRow("num lock on") << "Ctrl+Alt+V"
                                     << "Num_Lock ctrl+alt+v Num_Lock" << 1;
        QTest::newRow("both locks on") << "Ctrl+Alt+V"
                                       << "Num_Lock Caps_Lock ctrl+alt+v Caps_Lock Num_Lock" << 1;
        QTest::newRow("twice") << "Ctrl+Alt+V"
                               << "ctrl+alt+v ctrl+alt+v" << 2;
        QTest::newRow("another letter") << "Ctrl+Alt+V"
                                        << "ctrl+alt+b" << 0;
        QTest::newRow("a modifier short") << "Ctrl+Alt+V"
                                          << "ctrl+v" << 0;
        QTest::newRow("a modifier more") << "Ctrl+Alt+V"
                                         << "ctrl+alt+shift+v" << 0;
        QTest::newRow("function key") << "Meta+F12"
                                      << "super+F12" << 1;
        QTest::newRow("shifted") << "Ctrl+Shift+Space"
                                 << "ctrl+shift+space" << 1;
        QTest::newRow("digit") << "Alt+1"
                               << "alt+1" << 1;
    }
    void pressFiresOnlyTheGrabbedKey()
    {
        QFETCH(QString, grabbed);
        QFETCH(QString, pressed);
        QFETCH(int, fired);
        X11GlobalShortcut shortcut;
        QSignalSpy activated(&shortcut, &GlobalShortcut::activated);
        QVERIFY2(shortcut.setKey(QKeySequence(grabbed)), qPrintable(shortcut.errorString()));
        QCOMPARE(shortcut.key(), QKeySequence(grabbed));
        // A marker key pressed last shows that every earlier press has come in. (Not a
        // function key: with Ctrl+Alt those switch virtual terminals in X's keymap.)
        X11GlobalShortcut marker;
        QSignalSpy markerPressed(&marker, &GlobalShortcut::activated);
        QVERIFY(marker.setKey(QKeySequence(QStringLiteral("Ctrl+Alt+M"))));
        QVERIFY(m_desktop.run(QStringLiteral("xdotool"),
                              QStringLiteral("key %1 ctrl+alt+m").arg(pressed).split(u' ')));
        QTRY_COMPARE(markerPressed.count(), 1);
        QCOMPARE(activated.count(), fired);
    }

    // Another client holding the key: a clear failure naming it, nothing half
    // grabbed, and the key can be had once the other lets go.
    void keyHeldByAnotherClient()
    {
        holdCtrlAltAnyKey();
        X11GlobalShortcut shortcut;
        QVERIFY(!shortcut.setKey(kCtrlAltV));
        QCOMPARE(shortcut.failure(), GlobalShortcut::Failure::Taken);
        QVERIFY2(shortcut.errorString().contains(QStringLiteral("Ctrl+Alt+V")),
                 qPrintable(shortcut.errorString()));
        QVERIFY(shortcut.key().isEmpty());
        // Other combinations are still free.
        QVERIFY(shortcut.setKey(QKeySequence(QStringLiteral("Ctrl+Shift+V"))));

        cleanup();
        QVERIFY2(shortcut.setKey(kCtrlAltV), qPrintable(shortcut.errorString()));
        QCOMPARE(shortcut.failure(), GlobalShortcut::Failure::None);
        QVERIFY(shortcut.errorString().isEmpty());
    }

    // A key given up, by a change, an empty key or the end of the object, is free
    // for others again.
    void keyGivenUpIsFreeAgain()
    {
        auto shortcut = std::make_unique<X11GlobalShortcut>();
        QVERIFY(shortcut->setKey(kCtrlAltV));
        QVERIFY(!canOtherHoldCtrlAlt());
        QVERIFY(shortcut->setKey(QKeySequence(QStringLiteral("Ctrl+Shift+V"))));
        QVERIFY(canOtherHoldCtrlAlt());
        QVERIFY(shortcut->setKey(kCtrlAltV));
        QVERIFY(shortcut->setKey(QKeySequence()));
        QVERIFY(canOtherHoldCtrlAlt());
        QVERIFY(shortcut->setKey(kCtrlAltV));
        shortcut.reset();
        QVERIFY(canOtherHoldCtrlAlt());
    }

    void keysThisKeyboardHasNot_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::newRow("two chords") << QKeySequence(QStringLiteral("Ctrl+Alt+V, Ctrl+B"));
        QTest::newRow("no keysym") << QKeySequence(Qt::CTRL | Qt::Key_LaunchMail);
    }
    void keysThisKeyboardHasNot()
    {
        QFETCH(QKeySequence, key);
        X11GlobalShortcut shortcut;
        QVERIFY(!shortcut.setKey(key));
        QCOMPARE(shortcut.failure(), GlobalShortcut::Failure::NotAKey);
        QVERIFY(shortcut.errorString().contains(GlobalShortcut::displayName(key)));
    }

private:
    xcb_connection_t *otherClient()
    {
        if (!m_other)
            m_other = xcb_connect(m_desktop.display().toLatin1().constData(), nullptr);
        return m_other;
    }
    // Another client grabs every key pressed with Ctrl+Alt and no lock.
    bool grabCtrlAltAnyKey()
    {
        xcb_connection_t *c = otherClient();
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_generic_error_t *error = xcb_request_check(
            c, xcb_grab_key_checked(c, 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, XCB_GRAB_ANY,
                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return error == nullptr;
    }
    void holdCtrlAltAnyKey() { QVERIFY(grabCtrlAltAnyKey()); }
    bool canOtherHoldCtrlAlt()
    {
        const bool held = grabCtrlAltAnyKey();
        cleanup();
        return held;
    }

    const XDesktop &m_desktop;
    xcb_connection_t *m_other = nullptr;
};

int main(int argc, char **argv)
{
    // Started before the application, so that Qt connects to it.
    XDesktop desktop;
    if (desktop.start()) {
        qputenv("DISPLAY", desktop.display().toLatin1());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QGuiApplication app(argc, argv);
    TestGlobalShortcutX11 test(desktop);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_globalshortcut_x11.moc"
