#include "xdesktop.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

// The real program on a private X server, driven by the same clients a user's
// desktop has: xclip for the clipboard, xdotool for the mouse, a tray host.
namespace {

constexpr int kTimeoutMs = 20000;

// One running copy of the program with its own data folder.
class Program
{
public:
    explicit Program(const XDesktop &desktop)
        : m_desktop(desktop)
    {
        QDir().mkpath(userFolder() + QStringLiteral("/data"));
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QString userFolder() const
    {
        return m_home.path() + QStringLiteral("/Orvendel Software/Pastebasket");
    }
    QString groupFile() const { return userFolder() + QStringLiteral("/data/group0.dat"); }

    void writeFile(const QString &path, const QByteArray &content) const
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void writeSettings(const QByteArray &setupLines) const
    {
        writeFile(userFolder() + QStringLiteral("/Pastebasket.ini"),
                  QByteArrayLiteral("[Setup]\r\n") + setupLines);
    }
    QByteArray readGroup() const
    {
        QFile file(groupFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = m_desktop.environment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        // libxkbcommon-x11 hands strndup() a buffer that is not NUL-terminated
        // but long enough; the strict check reports that as an overflow.
        QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
        asan.replace(QStringLiteral("strict_string_checks=1"),
                     QStringLiteral("strict_string_checks=0"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), asan);
        return env;
    }

    void start()
    {
        m_process.setProcessEnvironment(environment());
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
        m_process.start(QStringLiteral(PB_EXECUTABLE), {});
        QVERIFY2(m_process.waitForStarted(kTimeoutMs), qPrintable(m_process.errorString()));
    }
    // A second copy: it hands over to the running one and ends at once.
    int startSecondCopy() const
    {
        QProcess second;
        second.setProcessEnvironment(environment());
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(QStringLiteral(PB_EXECUTABLE), {});
        if (!second.waitForFinished(kTimeoutMs))
            return -1;
        return second.exitCode();
    }

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    void signal(int number) const { ::kill(static_cast<pid_t>(m_process.processId()), number); }
    // The exit code once it has ended, -1 when it did not end in time or crashed.
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
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<XDesktop> m_desktop;

    bool viewable() const
    {
        const auto window = m_desktop->mainWindow();
        return window && window->viewable;
    }
    void copyToClipboard(const QByteArray &text) const
    {
        QVERIFY(m_desktop->run(QStringLiteral("xclip"),
                               {QStringLiteral("-selection"), QStringLiteral("clipboard")}, text));
    }
    QByteArray clipboard() const
    {
        return m_desktop
            ->run(QStringLiteral("xclip"),
                  {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")})
            .value_or(QByteArray());
    }

private slots:
    void init()
    {
        m_desktop = std::make_unique<XDesktop>();
        QVERIFY2(m_desktop->start(), qPrintable(m_desktop->error()));
        if (QByteArray(QTest::currentTestFunction()) != "closeWithoutTrayEndsAndSaves")
            QVERIFY2(m_desktop->startTray(), qPrintable(m_desktop->error()));
    }
    void cleanup() { m_desktop.reset(); }

    void copiedTextIsCapturedAndSavedOnTerm()
    {
        Program program(*m_desktop);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop->trayIconCentre(), kTimeoutMs);

        copyToClipboard("e2e first, with a comma");
        QTest::qWait(800);
        copyToClipboard("line one\nline two");
        QTest::qWait(800);

        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.readGroup(), QByteArray("[ListData]\r\n"
                                                 "Text1=e2e first\x02 with a comma,0,,0\r\n"
                                                 "Text2=line one\x01line two,0,,0\r\n"));
    }

    void textCopiedBeforeTheStartIsNotCaptured()
    {
        copyToClipboard("copied before the start");
        Program program(*m_desktop);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        QTest::qWait(800);
        QCOMPARE(clipboard(), QByteArray());
        program.signal(SIGINT);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.readGroup(), QByteArray("[ListData]\r\n"));
    }

    void secondStartShowsTheHiddenWindow()
    {
        Program program(*m_desktop);
        program.writeSettings("StartupState=1\r\nIn_TaskTray=1\r\n");
        program.start();
        // It starts hidden in the tray.
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop->trayIconCentre(), kTimeoutMs);
        QTest::qWait(500);
        QVERIFY(!viewable());

        QCOMPARE(program.startSecondCopy(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        QVERIFY(program.isRunning());
        QVERIFY(!QFile::exists(program.userFolder() + QStringLiteral("/Pastebasket.rex")));

        program.signal(SIGHUP);
        QCOMPARE(program.waitForExit(), 0);
    }

    void closeWithTrayHidesTheWindow()
    {
        Program program(*m_desktop);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop->trayIconCentre(), kTimeoutMs);

        m_desktop->requestClose(m_desktop->mainWindow()->id);
        QTRY_VERIFY_WITH_TIMEOUT(!viewable(), kTimeoutMs);
        QTest::qWait(500);
        QVERIFY(program.isRunning());

        // A left click on the tray icon brings it back.
        const QPoint icon = *m_desktop->trayIconCentre();
        QVERIFY(m_desktop->run(QStringLiteral("xdotool"),
                               {QStringLiteral("mousemove"), QString::number(icon.x()),
                                QString::number(icon.y()), QStringLiteral("click"),
                                QStringLiteral("1")}));
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
    }

    void closeWithoutTrayEndsAndSaves()
    {
        Program program(*m_desktop);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        copyToClipboard("kept at the close");
        QTest::qWait(800);

        m_desktop->requestClose(m_desktop->mainWindow()->id);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.readGroup(), QByteArray("[ListData]\r\nText1=kept at the close,0,,0\r\n"));
        QFile ini(program.userFolder() + QStringLiteral("/Pastebasket.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("[WindowSize]"));
    }

    void clickOnARowPutsItsTextOnTheClipboard()
    {
        Program program(*m_desktop);
        program.writeFile(program.groupFile(),
                          "[ListData]\r\nText1=alpha\x01second line,0,,0\r\nText2=beta,1,,0\r\n");
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        const QString window = QString::number(m_desktop->mainWindow()->id);

        // The first row lies just below the check boxes and the group selector.
        QVERIFY(m_desktop->run(QStringLiteral("xdotool"),
                               {QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                                QStringLiteral("40"), QStringLiteral("70"), QStringLiteral("click"),
                                QStringLiteral("1")}));
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), QByteArray("alpha\nsecond line"), kTimeoutMs);

        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
