// The desktop of a real X server (Xvfb) shared with other clients: its clipboard
// owned by another program, and desktop-wide keys pressed through XTEST with
// xdotool as a user's keyboard would, and held by another client for conflicts.
#include "e2e/xdesktop.h"
#include "platform/globalshortcut_x11.h"
#include "platform/qtclipboard.h"

#include <QGuiApplication>
#include <QMap>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <xcb/xcb.h>

#include <atomic>
#include <cstdlib>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QKeySequence kCtrlAltV(u"Ctrl+Alt+V"_s);

// Another program owning the clipboard, on a connection of its own, answering
// from a thread of its own (the reader blocks while it waits), or not at all.
// It offers a text, and the secret mark when asked to, and notes every format
// it is asked for.
class RawOwner
{
public:
    RawOwner(bool secret, bool hung)
        : m_hung(hung)
    {
        m_connection = xcb_connect(nullptr, nullptr);
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        for (const char *name : {"TARGETS", "UTF8_STRING", "x-kde-passwordManagerHint"})
            if (secret || m_names.size() < 2)
                m_names[atom(name)] = name;
        xcb_set_selection_owner(m_connection, window, atom("CLIPBOARD"), XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        m_thread = std::thread([this] {
            while (!m_stop) {
                xcb_generic_event_t *event = xcb_poll_for_event(m_connection);
                if (event && (event->response_type & 0x7f) == XCB_SELECTION_REQUEST)
                    answer(*reinterpret_cast<xcb_selection_request_event_t *>(event));
                else if (!event)
                    QThread::msleep(2);
                std::free(event);
            }
        });
    }
    ~RawOwner()
    {
        asked();
        xcb_disconnect(m_connection);
    }
    // Stops answering; what it was asked for until then.
    QList<QByteArray> asked()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        // A request may still be queued when the thread stops: it was asked all the same.
        xcb_flush(m_connection);
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST)
                m_asked.append(m_names.value(
                    reinterpret_cast<xcb_selection_request_event_t *>(event)->target, "?"));
            std::free(event);
        }
        return m_asked;
    }

private:
    xcb_atom_t atom(const char *name) { return internAtom(m_connection, name); }
    void answer(const xcb_selection_request_event_t &request)
    {
        const QByteArray name = m_names.value(request.target, "?");
        m_asked.append(name);
        if (m_hung)
            return;
        xcb_atom_t property = request.property;
        const QByteArray data = name == "UTF8_STRING" ? "plain\n\xc3\xa9" : "secret";
        const QList<xcb_atom_t> targets = m_names.keys();
        if (name == "TARGETS")
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                XCB_ATOM_ATOM, 32, uint32_t(targets.size()), targets.constData());
        else if (name != "?")
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                request.target, 8, uint32_t(data.size()), data.constData());
        else
            property = XCB_ATOM_NONE;
        const xcb_selection_notify_event_t notify{
            XCB_SELECTION_NOTIFY, 0,       0, request.time, request.requestor, request.selection,
            request.target,       property};
        xcb_send_event(m_connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char *>(&notify));
        xcb_flush(m_connection);
    }

    bool m_hung;
    xcb_connection_t *m_connection = nullptr;
    QMap<xcb_atom_t, QByteArray> m_names;
    std::thread m_thread;
    std::atomic<bool> m_stop = false;
    QList<QByteArray> m_asked;
};

} // namespace

class TestX11 : public QObject
{
    Q_OBJECT

public:
    explicit TestX11(const XDesktop &desktop)
        : m_desktop(desktop)
    {}

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != u"xcb"_s)
            QSKIP("Xvfb is not installed or did not start");
        if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty())
            QSKIP("xdotool is not installed");
        QVERIFY(QtClipboard().notifiesChanges());
        QVERIFY(X11GlobalShortcut::isAvailable());
    }
    // Another program's copy is reported once. One read asks each question once:
    // the list of formats, the secret mark when offered, the text only when it is
    // not a secret. An owner that never answers is asked once, so it costs one wait.
    void readAsksOnce_data()
    {
        QTest::addColumn<bool>("hung");
        QTest::addColumn<bool>("secret");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArrayList>("expected");
        QTest::newRow("plain") << false << false << u"plain\r\n\u00e9"_s
                               << QByteArrayList{"TARGETS", "UTF8_STRING"};
        QTest::newRow("secret") << false << true << QString()
                                << QByteArrayList{"TARGETS", "x-kde-passwordManagerHint"};
        QTest::newRow("hung") << true << false << QString() << QByteArrayList{"TARGETS"};
    }
    void readAsksOnce()
    {
        QFETCH(bool, hung);
        QFETCH(bool, secret);
        QtClipboard clipboard;
        int notices = 0;
        clipboard.setChangeHandler([&] { ++notices; });
        RawOwner owner(secret, hung);
        QTRY_COMPARE(notices, 1);
        const ClipboardAccess::Content content = clipboard.read();
        QTEST(content.text, "text");
        QCOMPARE(content.secret, secret);
        const QByteArrayList asked = owner.asked();
        QFETCH(QByteArrayList, expected);
        // An owner that never answers costs one question at most (a reader under
        // load may give up on it before its question is even seen).
        if (hung)
            QVERIFY2(asked.size() <= 1 && (asked.isEmpty() || asked == expected),
                     asked.join(' ').constData());
        else
            QCOMPARE(asked, expected);
        QCOMPARE(notices, 1);
    }
    // The key fires whatever lock lights are on, and only for its own combination.
    void pressFiresOnlyTheGrabbedKey_data()
    {
        QTest::addColumn<QString>("grabbed");
        QTest::addColumn<QString>("pressed"); // xdotool key arguments, blank-separated
        QTest::addColumn<int>("fired");
        // clang-format off
        QTest::newRow("plain, twice") << "Ctrl+Alt+V" << "ctrl+alt+v ctrl+alt+v" << 2;
        QTest::newRow("caps lock on") << "Ctrl+Alt+V" << "Caps_Lock ctrl+alt+v Caps_Lock" << 1;
        QTest::newRow("both locks on") << "Ctrl+Alt+V" << "Num_Lock Caps_Lock ctrl+alt+v Caps_Lock Num_Lock" << 1;
        QTest::newRow("another letter") << "Ctrl+Alt+V" << "ctrl+alt+b" << 0;
        QTest::newRow("a modifier more") << "Ctrl+Alt+V" << "ctrl+alt+shift+v" << 0;
        QTest::newRow("function key") << "Meta+F12" << "super+F12" << 1;
        // clang-format on
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
        QVERIFY(marker.setKey(QKeySequence(u"Ctrl+Alt+M"_s)));
        QVERIFY(m_desktop.xdotool(u"key %1 ctrl+alt+m"_s.arg(pressed)));
        QTRY_COMPARE(markerPressed.count(), 1);
        QCOMPARE(activated.count(), fired);
    }

    // Another client holding the key: a clear failure naming it, nothing half
    // grabbed, and the key can be had once the other lets go.
    void keyHeldByAnotherClient()
    {
        // It grabs every key pressed with Ctrl+Alt and no lock.
        constexpr quint16 kCtrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
        QVERIFY(m_desktop.grabKeys(kCtrlAlt));
        X11GlobalShortcut shortcut;
        QVERIFY(!shortcut.setKey(kCtrlAltV));
        QCOMPARE(shortcut.failure(), GlobalShortcut::Failure::Taken);
        QVERIFY2(shortcut.errorString().contains(u"Ctrl+Alt+V"_s),
                 qPrintable(shortcut.errorString()));
        QVERIFY(shortcut.key().isEmpty());
        // Other combinations are still free.
        QVERIFY(shortcut.setKey(QKeySequence(u"Ctrl+Shift+V"_s)));

        m_desktop.ungrabKeys(kCtrlAlt);
        QVERIFY2(shortcut.setKey(kCtrlAltV), qPrintable(shortcut.errorString()));
        QCOMPARE(shortcut.failure(), GlobalShortcut::Failure::None);
        QVERIFY(shortcut.errorString().isEmpty());
    }

private:
    const XDesktop &m_desktop;
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
    TestX11 test(desktop);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11.moc"
