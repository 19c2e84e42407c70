// The global shortcut of the real program under Xvfb, driven only through X
// input: xdotool presses keys and clicks, xclip reads the clipboard.
#include "xdesktop.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kTimeoutMs = 20000;

// Old texts in the default group, the first on two lines with a comma.
const QByteArray kGroupFile = "[ListData]\r\n"
                              "Text1=delta epsilon\x01zeta\x02 eta,0,,0\r\n"
                              "Text2=alpha\x01second line,0,,0\r\n"
                              "Text3=omega,0,,0\r\n";
const QByteArray kMultiLine = "delta epsilon\nzeta, eta";

// One running copy of the program with a data folder of its own.
class Program
{
public:
    explicit Program(const XDesktop &desktop)
        : m_desktop(desktop)
    {
        QDir().mkpath(file("data"));
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QString file(const char *name) const
    {
        return m_home.path() + QStringLiteral("/Orvendel Software/Pastebasket/") +
               QLatin1String(name);
    }
    void write(const char *name, const QByteArray &content) const
    {
        QFile out(file(name));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    void start()
    {
        QProcessEnvironment env = m_desktop.environment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("QT_LOGGING_RULES"),
                   QStringLiteral("pastebasket.shortcut.info=true"));
        // libxkbcommon-x11 hands strndup() a buffer that is not NUL-terminated
        // but long enough; the strict check reports that as an overflow.
        QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
        asan.replace(QStringLiteral("strict_string_checks=1"),
                     QStringLiteral("strict_string_checks=0"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), asan);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        m_process.start(QStringLiteral(PB_EXECUTABLE), {});
        QVERIFY2(m_process.waitForStarted(kTimeoutMs), qPrintable(m_process.errorString()));
    }
    // True once the program has logged a line holding this text.
    bool logged(const QByteArray &text)
    {
        m_log += m_process.readAllStandardError();
        return m_log.contains(text);
    }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    void signal(int number) const { ::kill(static_cast<pid_t>(m_process.processId()), number); }
    int waitForExit()
    {
        if (!m_process.waitForFinished(kTimeoutMs) ||
            m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }

private:
    const XDesktop &m_desktop;
    QTemporaryDir m_home;
    QTemporaryDir m_runtime;
    QProcess m_process;
    QByteArray m_log;
};

} // namespace

class TestEndToEndShortcut : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<XDesktop> m_desktop;
    xcb_connection_t *m_connection = nullptr; // the test's own, to look and to hold keys

    bool viewable() const
    {
        const auto window = m_desktop->mainWindow();
        return window && window->viewable;
    }
    // True when the program's main window has the keyboard.
    bool focused() const
    {
        const auto window = m_desktop->mainWindow();
        xcb_get_input_focus_reply_t *reply =
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
        const bool result = window && reply && reply->focus == window->id;
        std::free(reply);
        return result;
    }
    QByteArray clipboard() const
    {
        return m_desktop
            ->run(QStringLiteral("xclip"), QStringLiteral("-o -selection clipboard").split(u' '))
            .value_or(QByteArray());
    }
    void xdotool(const QString &commands) const
    {
        QVERIFY2(m_desktop->run(QStringLiteral("xdotool"), commands.split(u' '), {}, kTimeoutMs),
                 qPrintable(commands));
    }
    // Starts the program hidden in the tray, with the old texts, and waits until
    // it holds its key.
    void startInTray(Program &program)
    {
        program.write("Pastebasket.ini", "[Setup]\r\nStartupState=1\r\nIn_TaskTray=1\r\n");
        program.write("data/group0.dat", kGroupFile);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(program.logged("holding Ctrl+Alt+V"), kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop->trayIconCentre(), kTimeoutMs);
        QVERIFY(!viewable());
    }

private slots:
    void init()
    {
        m_desktop = std::make_unique<XDesktop>();
        QVERIFY2(m_desktop->start(), qPrintable(m_desktop->error()));
        QVERIFY2(m_desktop->startTray(), qPrintable(m_desktop->error()));
        m_connection = xcb_connect(m_desktop->display().toLatin1().constData(), nullptr);
        QVERIFY(!xcb_connection_has_error(m_connection));
    }
    void cleanup()
    {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        m_desktop.reset();
    }

    // The whole way back to an old text: the key, a few letters of the text,
    // Enter, and the text is on the clipboard as it was, on its two lines.
    void keyThenTypingPutsAnOldTextOnTheClipboard()
    {
        Program program(*m_desktop);
        startInTray(program);

        xdotool(QStringLiteral("key ctrl+alt+v"));
        QTRY_VERIFY_WITH_TIMEOUT(viewable() && focused(), kTimeoutMs);
        xdotool(QStringLiteral("type --delay 50 silon"));
        xdotool(QStringLiteral("key Return"));
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), kMultiLine, 5000);

        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
    }

    // The key brings the hidden window up with the keyboard, puts it away again
    // while it is in front, and a click on a row then still copies the whole text.
    void keyShowsAndHidesTheWindowAndAClickCopies()
    {
        Program program(*m_desktop);
        startInTray(program);

        xdotool(QStringLiteral("key ctrl+alt+v"));
        QTRY_VERIFY_WITH_TIMEOUT(viewable() && focused(), kTimeoutMs);
        // With Num Lock on, as keyboards often are, it is the same key.
        xdotool(QStringLiteral("key Num_Lock ctrl+alt+v Num_Lock"));
        QTRY_VERIFY_WITH_TIMEOUT(!viewable(), kTimeoutMs);
        xdotool(QStringLiteral("key ctrl+alt+v"));
        QTRY_VERIFY_WITH_TIMEOUT(viewable() && focused(), kTimeoutMs);

        // Esc puts the search away; the first row then lies just below the check
        // boxes and the group selector.
        xdotool(QStringLiteral("key Escape"));
        xdotool(
            QStringLiteral("mousemove --window %1 40 70 click 1").arg(m_desktop->mainWindow()->id));
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), kMultiLine, kTimeoutMs);
        QVERIFY(program.isRunning());
        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
    }

    // Another program holds the key: the program says so, naming it, and runs on.
    void keyHeldByAnotherProgram()
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        xcb_generic_error_t *error = xcb_request_check(
            m_connection,
            xcb_grab_key_checked(m_connection, 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1,
                                 XCB_GRAB_ANY, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        QVERIFY(!error);
        Program program(*m_desktop);
        program.write("data/group0.dat", kGroupFile);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(
            program.logged("no global shortcut Ctrl+Alt+V - Ctrl+Alt+V is already used by "
                           "another program."),
            kTimeoutMs);
        // The message box, answered with Enter; the window is still there after it.
        const QStringList find =
            QStringLiteral("search --sync --onlyvisible --name ^Global.shortcut$").split(u' ');
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop->run(QStringLiteral("xdotool"), find, {}, kTimeoutMs),
                                 kTimeoutMs);
        xdotool(QStringLiteral("search --sync --onlyvisible --name ^Global.shortcut$ "
                               "windowfocus --sync"));
        xdotool(QStringLiteral("key Return"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_desktop->run(QStringLiteral("xdotool"), find, {}, 2000),
                                 kTimeoutMs);
        QVERIFY(program.isRunning());
        QVERIFY(viewable());
        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEndToEndShortcut)
#include "tst_e2e_shortcut.moc"
