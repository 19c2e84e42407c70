// The desktop clipboard of a real X server, shared with another program (xclip).
#include "e2e/xdesktop.h"
#include "platform/qtclipboard.h"

#include <QGuiApplication>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <xcb/xcb.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace {

// Another program owning the clipboard, on a connection of its own, answering
// from a thread of its own (the reader blocks while it waits), or not at all.
// It notes every format it is asked for.
class RawOwner
{
public:
    // Answers with these formats (target name -> data); never answers when hung.
    RawOwner(std::map<QByteArray, QByteArray> offered, bool hung)
        : m_offered(std::move(offered))
        , m_hung(hung)
    {
        m_connection = xcb_connect(nullptr, nullptr);
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        m_clipboard = atom("CLIPBOARD");
        m_targets = atom("TARGETS");
        for (const auto &[name, data] : m_offered)
            m_atoms[atom(name.constData())] = name;
        xcb_set_selection_owner(m_connection, m_window, m_clipboard, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        m_thread = std::thread([this] { serve(); });
    }
    ~RawOwner()
    {
        m_stop = true;
        m_thread.join();
        xcb_disconnect(m_connection);
    }
    QList<QByteArray> asked()
    {
        const std::lock_guard lock(m_mutex);
        return m_asked;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    }
    void serve()
    {
        while (!m_stop) {
            xcb_generic_event_t *event = xcb_poll_for_event(m_connection);
            if (!event) {
                QThread::msleep(2);
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST)
                answer(*reinterpret_cast<xcb_selection_request_event_t *>(event));
            std::free(event);
        }
    }
    void answer(const xcb_selection_request_event_t &request)
    {
        const bool targets = request.target == m_targets;
        const auto known = m_atoms.find(request.target);
        {
            const std::lock_guard lock(m_mutex);
            m_asked.append(targets                  ? QByteArray("TARGETS")
                           : known != m_atoms.end() ? known->second
                                                    : QByteArray("?"));
        }
        if (m_hung)
            return;
        xcb_atom_t property = request.property;
        if (targets) {
            QList<xcb_atom_t> list{m_targets};
            for (const auto &entry : m_atoms)
                list.append(entry.first);
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                XCB_ATOM_ATOM, 32, static_cast<uint32_t>(list.size()),
                                list.constData());
        } else if (known != m_atoms.end()) {
            const QByteArray &data = m_offered.at(known->second);
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                request.target, 8, static_cast<uint32_t>(data.size()),
                                data.constData());
        } else {
            property = XCB_ATOM_NONE;
        }
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = property;
        xcb_send_event(m_connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char *>(&notify));
        xcb_flush(m_connection);
    }

    std::map<QByteArray, QByteArray> m_offered;
    bool m_hung;
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = 0;
    xcb_atom_t m_targets = 0;
    std::map<xcb_atom_t, QByteArray> m_atoms;
    std::thread m_thread;
    std::atomic<bool> m_stop = false;
    std::mutex m_mutex;
    QList<QByteArray> m_asked;
};

} // namespace

class TestQtClipboardX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("Xvfb is not installed or did not start");
        if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            QSKIP("xclip is not installed");
        QVERIFY(QtClipboard().notifiesChanges());
    }
    void cleanup()
    {
        m_owner.kill();
        m_owner.waitForFinished();
    }

    // Another program's copy is reported once, from the event loop, and read whole.
    void readsOtherProgramsTextWhenTold()
    {
        QtClipboard clipboard;
        int notices = 0;
        ClipboardAccess::Content content;
        clipboard.setChangeHandler([&] {
            ++notices;
            content = clipboard.read();
        });
        offer("UTF8_STRING", QStringLiteral("line 1\nline \u00e9 2\r\n").toUtf8());
        QTRY_COMPARE(notices, 1);
        QCOMPARE(content.text, QStringLiteral("line 1\r\nline \u00e9 2\r\n"));
        QVERIFY(!content.secret);
    }

    void secretMarkOfOtherProgram()
    {
        QtClipboard clipboard;
        offer("x-kde-passwordManagerHint", "secret");
        QTRY_VERIFY(clipboard.read().secret);
        QCOMPARE(clipboard.read().text, QString());
    }

    void othersPasteOurTextUntilCleared()
    {
        QtClipboard clipboard;
        clipboard.setText(QStringLiteral("a\r\nb \u00e9"));
        QCOMPARE(paste(), QStringLiteral("a\nb \u00e9").toUtf8());
        QCOMPARE(clipboard.read().text, QStringLiteral("a\r\nb \u00e9"));
        clipboard.clear();
        QCOMPARE(clipboard.read().text, QString());
        QCOMPARE(paste(), QByteArray());
    }

    // Last: the other program takes the clipboard at a time later than any this
    // program has seen, so the program could not take it back afterwards.
    // One read asks each question once: the list of formats, the secret mark when
    // offered, the text only when it is not a secret. An owner that never answers
    // is asked once, so it costs one wait.
    void readAsksOnce_data()
    {
        QTest::addColumn<bool>("hung");
        QTest::addColumn<bool>("secret");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArrayList>("asked");
        const QByteArrayList formats{"TARGETS"};
        QTest::newRow("plain") << false << false << QStringLiteral("plain \u00e9")
                               << QByteArrayList{"TARGETS", "UTF8_STRING"};
        QTest::newRow("secret") << false << true << QString()
                                << QByteArrayList{"TARGETS", "x-kde-passwordManagerHint"};
        QTest::newRow("hung") << true << false << QString() << formats;
    }
    void readAsksOnce()
    {
        QFETCH(bool, hung);
        QFETCH(bool, secret);
        QtClipboard clipboard;
        const quint64 before = clipboard.changeCount();
        std::map<QByteArray, QByteArray> offered{{"UTF8_STRING", "plain \xc3\xa9"}};
        if (secret)
            offered["x-kde-passwordManagerHint"] = "secret";
        RawOwner owner(offered, hung);
        QTRY_VERIFY(clipboard.changeCount() != before);
        const ClipboardAccess::Content content = clipboard.read();
        QTEST(content.text, "text");
        QCOMPARE(content.secret, secret);
        QTEST(QByteArrayList(owner.asked()), "asked");
    }

private:
    // Another program takes the clipboard with data of one type; it serves it
    // until it loses the clipboard or is ended at cleanup.
    void offer(const QByteArray &type, const QByteArray &data)
    {
        m_owner.start(QStringLiteral("xclip"), QStringLiteral("-selection clipboard -quiet -t %1")
                                                   .arg(QLatin1String(type))
                                                   .split(u' '));
        QVERIFY(m_owner.waitForStarted());
        m_owner.write(data);
        m_owner.closeWriteChannel();
    }
    // What another program pastes; empty when the clipboard holds no text.
    QByteArray paste()
    {
        QProcess p;
        p.start(QStringLiteral("xclip"), QStringLiteral("-selection clipboard -o").split(u' '));
        // Our own clipboard is served from this thread's event loop: keep it turning.
        [&] { QTRY_VERIFY_WITH_TIMEOUT(p.state() == QProcess::NotRunning, 10000); }();
        return p.readAllStandardOutput();
    }

    QProcess m_owner;
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
    TestQtClipboardX11 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qtclipboard_x11.moc"
