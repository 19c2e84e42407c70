// The real program, started as the user starts it, in its own data folder. A
// first copy keeps running with its window: each test waits for what it checks
// and then ends the copies that still run.
#include "platform/instancelock.h"
#include "settings/inifile.h"
#include "settings/settingskeys.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
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

bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return QDir().mkpath(QFileInfo(path).path()) && f.open(QIODevice::WriteOnly) &&
           f.write(bytes) == bytes.size();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Polls until the condition holds, letting the processes' output come in.
bool waitFor(const std::function<bool()> &condition)
{
    const QDeadlineTimer deadline(30000);
    while (!condition() && !deadline.hasExpired())
        QTest::qWait(20);
    return condition();
}

// One started copy of the program with the given per-user data folder.
class Copy : public QProcess
{
public:
    explicit Copy(const QString &dataHome, const QString &program = QStringLiteral(PB_PROGRAM),
                  const QStringList &arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"),
                   QStringLiteral("pastebasket.startup.info=true"));
        setProcessEnvironment(env);
        start(program, arguments);
    }
    ~Copy() override { stop(); }

    bool logged(const QByteArray &line) { return (log += readAllStandardError()).contains(line); }
    // Ends the copy if it still runs: true when it ended well either way (a
    // sanitizer report makes the exit code non-zero). With saveMayFail, an
    // exit whose save failed counts as well when it said so and kept the texts.
    bool stop()
    {
        terminate();
        if (!waitForFinished(10000))
            kill();
        waitForFinished(10000);
        log += readAllStandardError();
        if (exitStatus() != QProcess::NormalExit)
            return false;
        return exitCode() == 0 ||
               (saveMayFail && exitCode() == 2 && log.contains("pastebasket.save: cannot save") &&
                (log.contains("texts in memory are kept in") ||
                 log.contains("no texts were in memory")));
    }

    QByteArray log;
    bool saveMayFail = false;
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
    // run that has ended, a file named "temp", and old data beside the program,
    // which is moved only when it holds the group registry.
    void earlierInstallation_data()
    {
        QTest::addColumn<bool>("registry");
        QTest::newRow("with Management.dat") << true;
        QTest::newRow("without Management.dat") << false;
    }
    void earlierInstallation()
    {
        QFETCH(bool, registry);
        QVERIFY(putFile(iniFile(), "[Setup]\r\nTopPos=0\r\nAutoGet=  \r\nMsg_Delete=\r\n"
                                   "Msg_Clear=1.0\r\n[Font]\r\nFontName=Mono\r\n"));
        QVERIFY(putFile(rexFile(), "[ReExecute]\r\nReally=Yes\r\nCommand=\r\n"));
        QVERIFY(putFile(user("temp"), "a file"));
        const QString oldData = m_dir->filePath(QStringLiteral("program/data"));
        QVERIFY(
            putFile(oldData + QStringLiteral("/group0.dat"), "[ListData]\r\nText1=old,0,,0\r\n"));
        if (registry)
            QVERIFY(putFile(oldData + QStringLiteral("/Management.dat"), "[Management]\r\n"));
        const QString program = m_dir->filePath(QStringLiteral("program/pastebasket"));
        QVERIFY(QFile::copy(QStringLiteral(PB_PROGRAM), program));
        // Whether a save can do without the temp folder is the store's business;
        // if it cannot, the failure must be told and the texts kept.
        QVERIFY(startAndEnd(program, true));

        const Settings s(iniFile());
        // Only blank keys get their default.
        QCOMPARE(QStringList({s.value(Setting::TopPos), s.value(Setting::AutoGet),
                              s.value(Setting::MsgDelete), s.value(Setting::MsgClear),
                              s.value(Setting::FontName)}),
                 QStringLiteral("0 1 1 1.0 Mono").split(u' '));
        QVERIFY(!QFileInfo::exists(rexFile())); // a stale marker is not answered
        QVERIFY(QFileInfo(user("temp")).isFile());
        // The main window saves the default group at exit: the old text is in it
        // only when the old data was moved. Without the registry nothing is moved
        // and nothing deleted.
        QCOMPARE(fileBytes(user("data/group0.dat")).contains("Text1=old"), registry);
        QCOMPARE(QFileInfo::exists(oldData + QStringLiteral("/group0.dat")), !registry);
        QCOMPARE(QFileInfo::exists(oldData), !registry);
    }

    void secondCopyWritesMarkerAndEnds()
    {
        QVERIFY(QDir().mkpath(user()));
        InstanceLock running(InstanceLock::lockFileIn(user()));
        QCOMPARE(running.tryLock(), InstanceLock::Result::Acquired);
        Copy copy(home(), QStringLiteral(PB_PROGRAM),
                  {QStringLiteral(" --one"), QStringLiteral("two\nthree ")});
        QVERIFY(waitFor([&] { return copy.state() == QProcess::NotRunning; }));
        QVERIFY2(copy.stop() && copy.logged(kSecondCopy), copy.log.constData());
        QCOMPARE(fileBytes(rexFile()),
                 QByteArray("[ReExecute]\r\nReally=Yes\r\nCommand=--one two three\r\n"));
        QVERIFY(!QFileInfo::exists(iniFile()));
    }

    // A fresh lock file that names no owner (a crash right after creating it, a
    // full disk) is no running copy: the program starts rather than ending as a
    // second copy without a word.
    void ownerlessLockFileIsTakenOver_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray("\xff\xfe junk\n");
    }
    void ownerlessLockFileIsTakenOver()
    {
        QFETCH(QByteArray, content);
        QVERIFY(putFile(InstanceLock::lockFileIn(user()), content));
        QVERIFY(startAndEnd());
        QVERIFY(!QFileInfo::exists(rexFile()));
    }

    // --version and --help answer on standard output and end, also with no
    // display to open and while a copy runs: no lock, no marker, no data folder.
    void answersWithoutStarting_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QByteArray>("answerStart");
        QTest::addColumn<bool>("copyRuns");
        QTest::newRow("--version") << QStringLiteral("--version")
                                   << QByteArray("Pastebasket " PB_PROJECT_VERSION "\n") << false;
        QTest::newRow("--help") << QStringLiteral("--help")
                                << QByteArray("Usage: pastebasket [--version | --help]\n") << false;
        QTest::newRow("-h while a copy runs")
            << QStringLiteral("-h") << QByteArray("Usage: pastebasket") << true;
    }
    void answersWithoutStarting()
    {
        QFETCH(QString, argument);
        QFETCH(QByteArray, answerStart);
        QFETCH(bool, copyRuns);
        std::optional<InstanceLock> running;
        if (copyRuns) {
            QVERIFY(QDir().mkpath(user()));
            QCOMPARE(running.emplace(InstanceLock::lockFileIn(user())).tryLock(),
                     InstanceLock::Result::Acquired);
        }
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(PB_PROGRAM), {argument});
        QVERIFY(process.waitForFinished(30000));
        const QByteArray errors = process.readAllStandardError();
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 errors.constData());
        const QByteArray answer = process.readAllStandardOutput();
        QVERIFY2(answer.startsWith(answerStart) && answer.endsWith('\n'), answer.constData());
        QCOMPARE(errors, QByteArray());
        if (copyRuns)
            QCOMPARE(QDir(user()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{QFileInfo(InstanceLock::lockFileIn(user())).fileName()});
        else
            QVERIFY(!QFileInfo::exists(home()));
    }

    void tenCopiesAtOnce()
    {
        std::vector<std::unique_ptr<Copy>> copies;
        for (int i = 0; i < 10; ++i)
            copies.push_back(std::make_unique<Copy>(home()));
        // Each copy has taken one way or the other, and every second copy has ended.
        int first = 0;
        int second = 0;
        QVERIFY(waitFor([&] {
            first = second = 0;
            for (const auto &copy : copies) {
                first += copy->logged(kFirstCopy);
                second += copy->logged(kSecondCopy) && copy->state() == QProcess::NotRunning;
            }
            return first + second == 10;
        }));
        QCOMPARE(first, 1);
        QCOMPARE(second, 9);
        for (auto &copy : copies)
            QVERIFY2(copy->stop(), copy->log.constData());
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
    bool startAndEnd(const QString &program = QStringLiteral(PB_PROGRAM), bool saveMayFail = false)
    {
        Copy copy(home(), program);
        copy.saveMayFail = saveMayFail;
        const bool started = waitFor([&] {
            return copy.logged(kFirstCopy) &&
                   !Settings(iniFile()).value(Setting::StartupGroup).isEmpty();
        });
        const bool ended = copy.stop();
        if (!started || !ended)
            qWarning("%s", copy.log.constData());
        return started && ended;
    }

    std::optional<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestStartupProcess)
#include "tst_startupprocess.moc"
