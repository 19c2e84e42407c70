#include "platform/qtclipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <memory>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A private X server for this test alone, started before the application so
// that Qt connects to it; no server when Xvfb is not installed.
class VirtualXServer
{
public:
    VirtualXServer()
    {
        int fds[2];
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() || ::pipe(fds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            // The server goes with the test even when the test dies, and keeps
            // quiet so that nothing waits on output it still holds open.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            const QByteArray fd = QByteArray::number(fds[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", "320x240x24",
                     "-nolisten", "tcp", static_cast<char *>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        // Xvfb writes the display number it chose once it accepts connections.
        QByteArray number;
        pollfd pfd{fds[0], POLLIN, 0};
        char c;
        while (m_pid > 0 && ::poll(&pfd, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (!number.isEmpty())
            m_display = ':' + number;
    }
    ~VirtualXServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    VirtualXServer(const VirtualXServer &) = delete;
    VirtualXServer &operator=(const VirtualXServer &) = delete;

    const QByteArray &display() const { return m_display; }

private:
    pid_t m_pid = -1;
    QByteArray m_display;
};

QByteArray display;

} // namespace

// The desktop clipboard of a real X server, shared with another program (xclip).
class TestQtClipboardX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void readsOtherProgramsText();
    void pictureGivesNoText();
    void secretMarkOfOtherProgram();
    void othersPasteOurText();

private:
    // Another program takes the clipboard with data of one type; it serves it
    // until it loses the clipboard or is ended at cleanup.
    void offer(const QByteArray &type, const QByteArray &data);
    // What another program pastes; empty when the clipboard holds no text.
    QByteArray paste();

    std::vector<std::unique_ptr<QProcess>> m_owners;
};

void TestQtClipboardX11::initTestCase()
{
    if (display.isEmpty())
        QSKIP("Xvfb is not installed or did not start");
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        QSKIP("xclip is not installed");
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY(QtClipboard().changeNotification());
}

void TestQtClipboardX11::cleanup()
{
    for (const auto &p : m_owners) {
        p->kill();
        p->waitForFinished();
    }
    m_owners.clear();
}

void TestQtClipboardX11::offer(const QByteArray &type, const QByteArray &data)
{
    auto p = std::make_unique<QProcess>();
    p->start(QStringLiteral("xclip"),
             {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-quiet"),
              QStringLiteral("-t"), QString::fromLatin1(type), QStringLiteral("-i")});
    QVERIFY(p->waitForStarted());
    p->write(data);
    p->closeWriteChannel();
    m_owners.push_back(std::move(p));
}

QByteArray TestQtClipboardX11::paste()
{
    QProcess p;
    p.start(QStringLiteral("xclip"),
            {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")});
    // Our own clipboard is served from this thread's event loop: keep it turning.
    [&] { QTRY_VERIFY_WITH_TIMEOUT(p.state() == QProcess::NotRunning, 10000); }();
    return p.readAllStandardOutput();
}

void TestQtClipboardX11::readsOtherProgramsText()
{
    QtClipboard clipboard;
    const quint64 before = clipboard.changeCount();
    offer("UTF8_STRING", QStringLiteral("line 1\nline \u00e9 2\n").toUtf8());
    QTRY_VERIFY(clipboard.changeCount() != before);
    QTRY_COMPARE(clipboard.text(), QStringLiteral("line 1\r\nline \u00e9 2\r\n"));
    QVERIFY(!clipboard.isSecret());

    // The same program copying again is a change too.
    const quint64 first = clipboard.changeCount();
    offer("UTF8_STRING", "next");
    QTRY_VERIFY(clipboard.changeCount() != first);
    QTRY_COMPARE(clipboard.text(), QStringLiteral("next"));
}

void TestQtClipboardX11::pictureGivesNoText()
{
    QtClipboard clipboard;
    clipboard.setText(QStringLiteral("before"));
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(image.save(&buffer, "PNG"));
    QCOMPARE(clipboard.text(), QStringLiteral("before"));
    offer("image/png", png);
    QTRY_COMPARE(clipboard.text(), QString());
}

void TestQtClipboardX11::secretMarkOfOtherProgram()
{
    QtClipboard clipboard;
    offer("x-kde-passwordManagerHint", "secret");
    QTRY_VERIFY(clipboard.isSecret());
}

void TestQtClipboardX11::othersPasteOurText()
{
    QtClipboard clipboard;
    const quint64 before = clipboard.changeCount();
    clipboard.setText(QStringLiteral("a\r\nb \u00e9"));
    QVERIFY(clipboard.changeCount() != before);
    QCOMPARE(paste(), QStringLiteral("a\nb \u00e9").toUtf8());
    QCOMPARE(clipboard.text(), QStringLiteral("a\r\nb \u00e9"));
    clipboard.clear();
    QCOMPARE(clipboard.text(), QString());
    QCOMPARE(paste(), QByteArray());
}

int main(int argc, char **argv)
{
    VirtualXServer server;
    display = server.display();
    if (!display.isEmpty()) {
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QGuiApplication app(argc, argv);
    TestQtClipboardX11 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qtclipboard_x11.moc"
