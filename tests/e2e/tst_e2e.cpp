#include "xdesktop.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
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
        QDir().mkpath(file("data"));
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        // What the program said, to see why a test failed.
        if (QTest::currentTestFailed())
            qWarning("the program's output:\n%s", log().constData());
    }

    // A file of the user folder, by its path there ("data/group0.dat").
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
        // libxkbcommon-x11 hands strndup() a buffer that is not NUL-terminated
        // but long enough; the strict check reports that as an overflow.
        QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
        asan.replace(QStringLiteral("strict_string_checks=1"),
                     QStringLiteral("strict_string_checks=0"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), asan);
        env.insert(QStringLiteral("QT_LOGGING_RULES"),
                   QStringLiteral("pastebasket.capture.info=true\npastebasket.layout.info=true"));
        return env;
    }

    void start()
    {
        m_process.setProcessEnvironment(environment());
        m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
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

    // Everything the program has written to its standard error so far.
    const QByteArray &log()
    {
        m_log += m_process.readAllStandardError();
        return m_log;
    }
    // Waits until the program has taken in this many clipboard texts in all.
    bool waitForCaptures(int count)
    {
        return QTest::qWaitFor(
            [&] { return log().count("pastebasket.capture: captured ") >= count; }, kTimeoutMs);
    }
    // Where a control ("cobGroup") or a row of the list ("lstText.0") is on the
    // screen, as the program last logged it; waits for its first such line.
    QRect whereIs(const QString &name)
    {
        const QByteArray key = ' ' + name.toLatin1() + '=';
        QRect where;
        // An invalid rectangle when none was logged in time; clickAt() fails on it.
        (void)QTest::qWaitFor(
            [&] {
                // The last whole line of that kind.
                const QByteArray all = log().left(log().lastIndexOf('\n'));
                const qsizetype line = all.lastIndexOf("pastebasket.layout: layout:");
                if (line < 0)
                    return false;
                const QByteArray last = all.mid(line).split('\n').first();
                const qsizetype at = last.indexOf(key);
                if (at < 0)
                    return false;
                static const QRegularExpression rect(
                    QStringLiteral("^(-?\\d+),(-?\\d+),(\\d+)x(\\d+)"));
                const QRegularExpressionMatch m =
                    rect.match(QString::fromLatin1(last.mid(at + key.size())));
                where = QRect(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                              m.captured(4).toInt());
                return m.hasMatch();
            },
            kTimeoutMs);
        return where;
    }
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
    QByteArray m_log;
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
                               QStringLiteral("-selection clipboard").split(u' '), text));
    }
    QByteArray clipboard() const
    {
        return m_desktop
            ->run(QStringLiteral("xclip"), QStringLiteral("-o -selection clipboard").split(u' '))
            .value_or(QByteArray());
    }
    // xdotool commands, their arguments separated by single blanks.
    void xdotool(const QString &commands) const
    {
        QVERIFY2(m_desktop->run(QStringLiteral("xdotool"), commands.split(u' '), {}, kTimeoutMs),
                 qPrintable(commands));
    }
    // A left click in the middle of a rectangle on the screen.
    void clickAt(const QRect &rect) const
    {
        QVERIFY2(rect.isValid(), "the program logged no place to click");
        xdotool(QStringLiteral("mousemove %1 %2 click 1")
                    .arg(rect.center().x())
                    .arg(rect.center().y()));
    }
    // Once the window with this title is shown, gives it the keyboard and runs the
    // commands. The title is a pattern to xdotool: "." stands for a blank. Its
    // search fails when a window goes away under it, so it is tried again.
    void inDialog(QString title, const QString &commands) const
    {
        const QString focus = QStringLiteral("search --sync --onlyvisible --name ^") +
                              title.replace(u' ', u'.') + QStringLiteral("$ windowfocus --sync");
        QTRY_VERIFY_WITH_TIMEOUT(
            m_desktop->run(QStringLiteral("xdotool"), focus.split(u' '), {}, kTimeoutMs),
            kTimeoutMs);
        xdotool(commands);
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

    // A text copied before the start is not taken in (the load empties the
    // clipboard); those copied afterwards are, and SIGTERM saves them.
    void copiedTextIsCapturedAndSavedOnTerm()
    {
        copyToClipboard("copied before the start");
        Program program(*m_desktop);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), QByteArray(), kTimeoutMs);

        copyToClipboard("e2e first, with a comma");
        QVERIFY(program.waitForCaptures(1));
        copyToClipboard("line one\nline two");
        QVERIFY(program.waitForCaptures(2));

        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.read(), QByteArray("[ListData]\r\n"
                                            "Text1=e2e first\x02 with a comma,0,,0\r\n"
                                            "Text2=line one\x01line two,0,,0\r\n"));
    }

    void secondStartShowsTheHiddenWindow()
    {
        Program program(*m_desktop);
        program.write("Pastebasket.ini", "[Setup]\r\nStartupState=1\r\nIn_TaskTray=1\r\n");
        program.start();
        // It starts hidden in the tray.
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop->trayIconCentre(), kTimeoutMs);
        // Once it takes in a text its start is over, and the window is still hidden.
        copyToClipboard("while hidden");
        QVERIFY(program.waitForCaptures(1));
        QVERIFY(!viewable());

        QCOMPARE(program.startSecondCopy(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        QVERIFY(program.isRunning());
        QVERIFY(!QFile::exists(program.file("Pastebasket.rex")));

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
        // It still runs: it goes on taking texts in.
        copyToClipboard("after the close");
        QVERIFY(program.waitForCaptures(1));
        QVERIFY(program.isRunning());

        // A left click on the tray icon brings it back.
        const QPoint icon = *m_desktop->trayIconCentre();
        xdotool(QStringLiteral("mousemove %1 %2 click 1").arg(icon.x()).arg(icon.y()));
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        program.signal(SIGINT);
        QCOMPARE(program.waitForExit(), 0);
    }

    void closeWithoutTrayEndsAndSaves()
    {
        Program program(*m_desktop);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        copyToClipboard("kept at the close");
        QVERIFY(program.waitForCaptures(1));

        m_desktop->requestClose(m_desktop->mainWindow()->id);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.read(), QByteArray("[ListData]\r\nText1=kept at the close,0,,0\r\n"));
        QVERIFY(program.read("Pastebasket.ini").contains("[WindowSize]"));
    }

    void clickOnARowPutsItsTextOnTheClipboard()
    {
        Program program(*m_desktop);
        program.write("data/group0.dat",
                      "[ListData]\r\nText1=alpha\x01second line,0,,0\r\nText2=beta,1,,0\r\n");
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        clickAt(program.whereIs(QStringLiteral("lstText.0")));
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), QByteArray("alpha\nsecond line"), kTimeoutMs);

        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
    }

    void groupCommandsRewriteTheRegistryAndTheGroupFiles()
    {
        Program program(*m_desktop);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(viewable(), kTimeoutMs);
        // The selector's last row, "*** Make a new group", asks for the name.
        const auto newGroup = [&](const QString &name) {
            clickAt(program.whereIs(QStringLiteral("cobGroup")));
            xdotool(QStringLiteral("key End Return"));
            inDialog(QStringLiteral("Group Name"), QStringLiteral("type ") + name);
            xdotool(QStringLiteral("key Tab space"));
        };
        // The "Menu" label at the top right, then an item of its "Group" submenu.
        const auto groupMenu = [&](char item) {
            clickAt(program.whereIs(QStringLiteral("lblMenu")));
            xdotool(QStringLiteral("key g %1").arg(QLatin1Char(item)));
        };
        const QByteArray moved = "[ListData]\r\nText1=moved\x01to the default group,0,,0\r\n";

        newGroup(QStringLiteral("Work"));
        QTRY_VERIFY_WITH_TIMEOUT(program.read("data/Management.dat").contains("Group1=Work"),
                                 kTimeoutMs);
        copyToClipboard("moved\nto the default group");
        QVERIFY(program.waitForCaptures(1));
        groupMenu('c');
        // It opens with "Close" focused, the default group on the left and "Work",
        // just saved, on the right. Select the right list's row.
        inDialog(QStringLiteral("between Groups - Copy or Move"),
                 QStringLiteral("key shift+Tab space"));
        QCOMPARE(program.read("data/group1.dat"), moved);
        // Choosing a group on the left, there and back, enables the move buttons
        // for that selection; then "<= Move" and "Close".
        xdotool(QStringLiteral(
            "key shift+Tab shift+Tab shift+Tab Down Up Tab Tab Tab Tab Tab space Tab space"));
        QTRY_COMPARE_WITH_TIMEOUT(program.read(), moved, kTimeoutMs);

        // "Home" moves up above "Work"; it is saved as the current group.
        newGroup(QStringLiteral("Home"));
        QTRY_VERIFY_WITH_TIMEOUT(program.read("data/Management.dat").contains("Group2=Home"),
                                 kTimeoutMs);
        groupMenu('o');
        inDialog(QStringLiteral("Order of Groups"),
                 QStringLiteral("key End Tab space Tab Tab space"));
        QTRY_COMPARE_WITH_TIMEOUT(program.read("data/group2.dat"), QByteArray("[ListData]\r\n"),
                                  kTimeoutMs);
        QCOMPARE(
            program.read("data/Management.dat"),
            QByteArray("[Management]\r\nMaxGroupNo=2\r\n[GroupNo]\r\nGroup0=0\r\nGroup1=2\r\n"
                       "Group2=1\r\n[GroupNoName]\r\nGroup0=\r\nGroup1=Work\r\nGroup2=Home\r\n"));

        // "Home", the current group, goes with its file.
        groupMenu('d');
        inDialog(QStringLiteral("Warning Query"), QStringLiteral("key Return"));
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(program.file("data/group2.dat")), kTimeoutMs);

        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(QDir(program.file("data")).entryList(QDir::Files).join(u' '),
                 QStringLiteral("group0.dat group1.dat Management.dat"));
        QCOMPARE(program.read("data/Management.dat"),
                 QByteArray("[Management]\r\nMaxGroupNo=2\r\n[GroupNo]\r\nGroup0=0\r\n"
                            "Group1=1\r\n[GroupNoName]\r\nGroup0=\r\nGroup1=Work\r\n"));
        QCOMPARE(program.read(), moved);
        QCOMPARE(program.read("data/group1.dat"), QByteArray("[ListData]\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
