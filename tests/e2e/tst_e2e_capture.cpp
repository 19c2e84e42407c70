// The real program on a private X server: copies taken as they come, a second
// copy answered, and a group that did not change left alone at the exit.
#include "xdesktop.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <memory>

namespace {

constexpr int kTimeoutMs = 20000;

// One running copy of the program with its own data folder; what it logs about
// its captures is collected.
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
    QByteArray read(const char *name = "data/group0.dat") const
    {
        QFile in(file(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = m_desktop.environment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("QT_LOGGING_RULES"),
                   QStringLiteral("pastebasket.capture.info=true"));
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
        m_process.start(QStringLiteral(PB_EXECUTABLE), {});
        QVERIFY2(m_process.waitForStarted(kTimeoutMs), qPrintable(m_process.errorString()));
    }
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
    // Everything the program wrote to its error output so far.
    const QByteArray &log()
    {
        m_log += m_process.readAllStandardError();
        return m_log;
    }

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

class TestEndToEndCapture : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<XDesktop> m_desktop;

    bool viewable() const
    {
        const auto window = m_desktop->mainWindow();
        return window && window->viewable;
    }
    QByteArray pasted() const
    {
        return m_desktop
            ->run(QStringLiteral("xclip"), QStringLiteral("-o -selection clipboard").split(u' '))
            .value_or(QByteArray());
    }

private slots:
    void init()
    {
        m_desktop = std::make_unique<XDesktop>();
        QVERIFY2(m_desktop->start(), qPrintable(m_desktop->error()));
    }
    void cleanup() { m_desktop.reset(); }

    // Copies a script makes 30 ms apart are each taken, in order. Each copy is
    // made only once the one before holds the clipboard: xclip takes it from a
    // process of its own, and two of those may otherwise overtake each other.
    void copiesMadeQuicklyAreAllKept()
    {
        Program program(*m_desktop);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);

        constexpr int kCopies = 20;
        QByteArray expected = "[ListData]\r\n";
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kCopies; ++i) {
            const QByteArray text = "quick copy " + QByteArray::number(i);
            expected += "Text" + QByteArray::number(i + 1) + '=' + text + ",0,,0\r\n";
            // At least 30 ms after the one before.
            if (clock.elapsed() < 30)
                QThread::msleep(static_cast<unsigned long>(30 - clock.elapsed()));
            clock.restart();
            QVERIFY(m_desktop->run(QStringLiteral("xclip"),
                                   QStringLiteral("-selection clipboard").split(u' '), text));
            QTRY_COMPARE_WITH_TIMEOUT(pasted(), text, kTimeoutMs);
        }
        const QByteArray last = "new row " + QByteArray::number(kCopies - 1) + '\n';
        QTRY_VERIFY2_WITH_TIMEOUT(program.log().contains(last), program.log().constData(),
                                  kTimeoutMs);

        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.read(), expected);
    }

    // The window closed into the tray comes back when the program is started again.
    void secondCopyBringsTheWindowUp()
    {
        QVERIFY2(m_desktop->startTray(), qPrintable(m_desktop->error()));
        Program program(*m_desktop);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop->trayIconCentre(), kTimeoutMs);
        m_desktop->requestClose(m_desktop->mainWindow()->id);
        QTRY_VERIFY_WITH_TIMEOUT(!viewable(), kTimeoutMs);

        QCOMPARE(program.startSecondCopy(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(program.file("Pastebasket.rex")), kTimeoutMs);
        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
    }

    // A group that nothing changed is not written at the exit: same bytes, same time.
    void unchangedGroupIsNotRewrittenAtExit()
    {
        Program program(*m_desktop);
        const QByteArray content =
            "[ListData]\r\nText1=kept as it is,1,,0\r\nText2=second,0,,0\r\n";
        program.write("data/group0.dat", content);
        const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-3);
        {
            QFile file(program.file("data/group0.dat"));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
        }
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.read(), content);
        QCOMPARE(QFileInfo(program.file("data/group0.dat")).lastModified().toUTC(), past);
        // The settings are still written at the exit: the program did get that far.
        QVERIFY(program.read("Pastebasket.ini").contains("[WindowSize]"));
    }
};

QTEST_GUILESS_MAIN(TestEndToEndCapture)
#include "tst_e2e_capture.moc"
