// The real program, started as the user starts it, in its own data folder. A
// first copy keeps running with its window: each test waits for what it checks
// and then ends the copies that still run.
#include "platform/instancelock.h"
#include "settings/inifile.h"
#include "settings/settingskeys.h"
#include "support/files.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <sys/stat.h>

namespace {

const QByteArray kFirstCopy = "pastebasket.startup: first copy\n";
const QByteArray kSecondCopy = "pastebasket.startup: second copy: marker written\n";

int modeOf(const QString &path)
{
    struct stat st
    {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// One started copy of the program with the given per-user data folder.
class Copy : public QProcess
{
public:
    // Never with a display: "offscreen" needs none, "xcb" has none to open.
    explicit Copy(const QString &dataHome, const QString &program = QStringLiteral(PB_PROGRAM),
                  const QStringList &arguments = {},
                  const QString &platform = QStringLiteral("offscreen"))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"),
                   QStringLiteral("pastebasket.startup.info=true"));
        setProcessEnvironment(env);
        start(program, arguments);
    }
    ~Copy() override { stop(); }

    bool logged(const QByteArray &line) { return (log += readAllStandardError()).contains(line); }
    // Ends the copy if it still runs: true when it ended well either way (a
    // sanitizer report makes the exit code non-zero).
    bool stop()
    {
        terminate();
        if (!waitForFinished(10000))
            kill();
        waitForFinished(10000);
        log += readAllStandardError();
        return exitStatus() == QProcess::NormalExit && exitCode() == 0;
    }

    QByteArray log;
};

} // namespace

class TestStartupProcess : public QObject
{
    Q_OBJECT

private slots:
    // A fresh account: not even the base folder exists yet.
    void init() { QVERIFY(m_dir.emplace().isValid()); }

    void firstStart()
    {
        QVERIFY(startAndEnd());
        for (const QString &folder :
             {home(), home("/Orvendel Software"), user(), user("data"), user("temp")})
            QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(iniFile()), 0600);
        const Settings settings(iniFile());
        for (const SettingKey &key : Setting::kStartupDefaults)
            QCOMPARE(settings.value(key), key.startupDefault.toString());
    }

    // What an earlier installation left: settings with blank keys, a marker of a
    // run that has ended, a file named "temp", and old data with the group
    // registry beside the program, which is moved.
    void earlierInstallation()
    {
        QVERIFY(writeBytes(iniFile(), "[Setup]\r\nTopPos=0\r\nAutoGet=  \r\nMsg_Delete=\r\n"
                                      "Msg_Clear=1.0\r\n[Font]\r\nFontName=Mono\r\n"));
        QVERIFY(writeBytes(rexFile(), "[ReExecute]\r\nReally=Yes\r\nCommand=\r\n"));
        QVERIFY(writeBytes(user("temp"), "a file"));
        const QString oldData = m_dir->filePath(QStringLiteral("program/data"));
        QVERIFY(writeBytes(oldData + QStringLiteral("/group0.dat"),
                           "[ListData]\r\nText1=old,0,,0\r\n"));
        QVERIFY(writeBytes(oldData + QStringLiteral("/Management.dat"), "[Management]\r\n"));
        const QString program = m_dir->filePath(QStringLiteral("program/pastebasket"));
        QVERIFY(QFile::copy(QStringLiteral(PB_PROGRAM), program));
        // Saves do without the temp folder: the exit saves with a file in its place.
        QVERIFY(startAndEnd(program));

        const Settings s(iniFile());
        // Only blank keys get their default.
        QCOMPARE(QStringList({s.value(Setting::TopPos), s.value(Setting::AutoGet),
                              s.value(Setting::MsgDelete), s.value(Setting::MsgClear),
                              s.value(Setting::FontName)}),
                 QStringLiteral("0 1 1 1.0 Mono").split(u' '));
        QVERIFY(!QFileInfo::exists(rexFile())); // a stale marker is not answered
        QVERIFY(QFileInfo(user("temp")).isFile());
        // The main window saves the default group at exit: the old text is in it
        // only when the old data was moved.
        QVERIFY(readBytes(user("data/group0.dat")).contains("Text1=old"));
        QVERIFY(!QFileInfo::exists(oldData));
    }

    void secondCopyWritesMarkerAndEnds()
    {
        QVERIFY(QDir().mkpath(user()));
        InstanceLock running(InstanceLock::lockFileIn(user()));
        QCOMPARE(running.tryLock(), InstanceLock::Result::Acquired);
        Copy copy(home(), QStringLiteral(PB_PROGRAM),
                  {QStringLiteral(" --one"), QStringLiteral("two\nthree ")});
        QVERIFY(copy.waitForFinished(30000));
        QVERIFY2(copy.stop() && copy.logged(kSecondCopy), copy.log.constData());
        QCOMPARE(readBytes(rexFile()),
                 QByteArray("[ReExecute]\r\nReally=Yes\r\nCommand=--one two three\r\n"));
        QVERIFY(!QFileInfo::exists(iniFile()));
    }

    // --version and --help answer on standard output and end, also with no
    // display to open: no lock, no marker, no data folder.
    void answersWithoutStarting_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QByteArray>("answerStart");
        QTest::newRow("--version")
            << QStringLiteral("--version") << QByteArray("Pastebasket " PB_PROJECT_VERSION "\n");
        QTest::newRow("-h") << QStringLiteral("-h")
                            << QByteArray("Usage: pastebasket [--version | --help]\n");
    }
    void answersWithoutStarting()
    {
        QFETCH(QString, argument);
        QFETCH(QByteArray, answerStart);
        Copy process(home(), QStringLiteral(PB_PROGRAM), {argument}, QStringLiteral("xcb"));
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.readAllStandardError(), QByteArray());
        QCOMPARE(process.exitCode(), 0);
        const QByteArray answer = process.readAllStandardOutput();
        QVERIFY2(answer.startsWith(answerStart) && answer.endsWith('\n'), answer.constData());
        QVERIFY(!QFileInfo::exists(home()));
    }

private:
    // The per-user data folder (XDG_DATA_HOME) and the program's folder in it.
    QString home(const char *below = "") const
    {
        return m_dir->filePath(QStringLiteral("share")) + QLatin1String(below);
    }
    QString user(const char *name = "") const
    {
        return home("/Orvendel Software/Pastebasket/") + QLatin1String(name);
    }
    QString iniFile() const { return user("Pastebasket.ini"); }
    QString rexFile() const { return user("Pastebasket.rex"); }
    // Starts the program, waits until its start-up is done (the last of the
    // start-up defaults is in the settings file), then ends it.
    bool startAndEnd(const QString &program = QStringLiteral(PB_PROGRAM))
    {
        Copy copy(home(), program);
        const QDeadlineTimer deadline(30000);
        bool started = false;
        while (!(started = copy.logged(kFirstCopy) &&
                           !Settings(iniFile()).value(Setting::StartupGroup).isEmpty()) &&
               !deadline.hasExpired())
            QTest::qWait(20);
        const bool ended = copy.stop();
        if (!started || !ended)
            qWarning("%s", copy.log.constData());
        return started && ended;
    }

    std::optional<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestStartupProcess)
#include "tst_startupprocess.moc"
