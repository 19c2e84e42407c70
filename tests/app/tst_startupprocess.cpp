// The real program, started as the user starts it. The program may end after
// its start-up or keep running with its window; every test waits for what it
// checks and then ends a copy that still runs.
#include "platform/instancelock.h"
#include "settings/inifile.h"
#include "settings/settingskeys.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kTimeoutMs = 30000;

const QByteArray kFirstCopy = "pastebasket.startup: first copy";
const QByteArray kSecondCopy = "pastebasket.startup: second copy: marker written";

int modeOf(const QString &path)
{
    struct stat st
    {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return static_cast<int>(st.st_mode & 07777);
}

bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// One started copy of the program, with its own per-user data folder.
class Copy
{
public:
    Copy(const QString &dataHome, const QString &program = QStringLiteral(PB_PROGRAM),
         const QStringList &arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"),
                   QStringLiteral("pastebasket.startup.info=true"));
        m_process.setProcessEnvironment(env);
        m_process.start(program, arguments);
    }
    ~Copy() { stop(); }

    QByteArray log()
    {
        m_log += m_process.readAllStandardError();
        return m_log;
    }
    bool logged(const QByteArray &line) { return log().contains(QByteArray(line + '\n')); }

    bool running() const { return m_process.state() != QProcess::NotRunning; }
    bool endedWell() const
    {
        return !running() && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }

    // Ends the copy if it still runs. True when it ended by itself without error
    // (a sanitizer report makes the exit code non-zero) or was still running.
    bool stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return endedWell();
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
        return true;
    }

private:
    QProcess m_process;
    QByteArray m_log;
};

// Polls until the condition holds, letting the processes' output come in.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = kTimeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

} // namespace

class TestStartupProcess : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void firstStart();
    void existingFolderIsRespected();
    void migration_data();
    void migration();
    void secondCopyWritesMarkerAndEnds();
    void crashedCopyDoesNotBlock();
    void tenCopiesAtOnce();

private:
    QString userFolder() const { return m_home + QStringLiteral("/Orvendel Software/Pastebasket"); }
    QString iniFile() const { return userFolder() + QStringLiteral("/Pastebasket.ini"); }
    QString rexFile() const { return userFolder() + QStringLiteral("/Pastebasket.rex"); }
    // The last of the start-up defaults is in the settings file.
    bool defaultsWritten() const
    {
        return !IniFile::read(iniFile(), Setting::StartupGroup.section, Setting::StartupGroup.key)
                    .isEmpty();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_home;
};

void TestStartupProcess::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_home = m_dir->filePath(QStringLiteral("share"));
}

void TestStartupProcess::firstStart()
{
    Copy copy(m_home);
    QVERIFY(waitFor([&] { return copy.logged(kFirstCopy) && defaultsWritten(); }));
    QVERIFY2(copy.stop(), copy.log().constData());

    const QStringList folders{m_home, m_home + QStringLiteral("/Orvendel Software"), userFolder(),
                              userFolder() + QStringLiteral("/data"),
                              userFolder() + QStringLiteral("/temp")};
    for (const QString &folder : folders)
        QCOMPARE(modeOf(folder), 0700);
    QCOMPARE(modeOf(iniFile()), 0600);
    const IniDocument ini = [&] {
        QFile f(iniFile());
        f.open(QIODevice::ReadOnly);
        return IniDocument::parse(QString::fromUtf8(f.readAll()));
    }();
    QList<std::pair<QString, QString>> expected;
    for (const SettingKey &key : Setting::kStartupDefaults)
        expected.append({key.key.toString(), key.startupDefault.toString()});
    // The defaults come first, in their order; the main window's exit adds LastGroupNo.
    QCOMPARE(ini.entries(Setting::kSetup).mid(0, expected.size()), expected);
}

void TestStartupProcess::existingFolderIsRespected()
{
    QVERIFY(QDir().mkpath(userFolder()));
    QVERIFY(putFile(iniFile(), "[Setup]\r\nTopPos=0\r\nAutoGet=  \r\nMsg_Delete=\r\n"
                               "[Font]\r\nFontName=Mono\r\n"));
    QVERIFY(putFile(rexFile(), "[ReExecute]\r\nReally=Yes\r\nCommand=\r\n"));
    QVERIFY(putFile(userFolder() + QStringLiteral("/temp"), "a file"));

    Copy copy(m_home);
    QVERIFY(waitFor([&] { return defaultsWritten() && !QFileInfo::exists(rexFile()); }));
    QVERIFY2(copy.stop(), copy.log().constData());

    const Settings settings(iniFile());
    QCOMPARE(settings.value(Setting::TopPos), QStringLiteral("0"));
    QCOMPARE(settings.value(Setting::AutoGet), QStringLiteral("1"));
    QCOMPARE(settings.value(Setting::MsgDelete), QStringLiteral("1"));
    QCOMPARE(settings.value(Setting::FontName), QStringLiteral("Mono"));
    QVERIFY(QFileInfo(userFolder() + QStringLiteral("/temp")).isFile());
}

void TestStartupProcess::migration_data()
{
    QTest::addColumn<bool>("registry");
    QTest::newRow("with Management.dat") << true;
    QTest::newRow("without Management.dat") << false;
}

void TestStartupProcess::migration()
{
    QFETCH(bool, registry);
    // The program looks for old data beside its own executable.
    const QString programFolder = m_dir->filePath(QStringLiteral("program"));
    const QString oldData = programFolder + QStringLiteral("/data");
    QVERIFY(QDir().mkpath(oldData));
    const QString program = programFolder + QStringLiteral("/pastebasket");
    QVERIFY(QFile::copy(QStringLiteral(PB_PROGRAM), program));
    if (registry)
        QVERIFY(putFile(oldData + QStringLiteral("/Management.dat"), "[Management]\r\n"));
    QVERIFY(putFile(oldData + QStringLiteral("/group0.dat"), "[ListData]\r\nText1=old,0,,0\r\n"));

    Copy copy(m_home, program);
    QVERIFY(waitFor([&] { return defaultsWritten(); }));
    QVERIFY2(copy.stop(), copy.log().constData());

    const QString data = userFolder() + QStringLiteral("/data");
    // The main window saves the default group at exit: the old text is in it only
    // when the old data was moved.
    QFile group(data + QStringLiteral("/group0.dat"));
    QCOMPARE(group.open(QIODevice::ReadOnly) && group.readAll().contains("Text1=old"), registry);
    // Without an old registry the main window starts a fresh one, so only a moved one is checked.
    if (registry)
        QVERIFY(QFileInfo::exists(data + QStringLiteral("/Management.dat")));
    // Without the registry nothing is moved, and nothing is deleted.
    QCOMPARE(QFileInfo::exists(oldData), !registry);
    QCOMPARE(QFileInfo::exists(oldData + QStringLiteral("/group0.dat")), !registry);
}

void TestStartupProcess::secondCopyWritesMarkerAndEnds()
{
    QVERIFY(QDir().mkpath(userFolder()));
    InstanceLock running(InstanceLock::lockFileIn(userFolder()));
    QCOMPARE(running.tryLock(), InstanceLock::Result::Acquired);

    Copy copy(m_home, QStringLiteral(PB_PROGRAM),
              {QStringLiteral(" --one"), QStringLiteral("two\nthree ")});
    QVERIFY(waitFor([&] { return !copy.running(); }));
    QVERIFY2(copy.endedWell(), copy.log().constData());
    QVERIFY(copy.logged(kSecondCopy));

    QFile rex(rexFile());
    QVERIFY(rex.open(QIODevice::ReadOnly));
    QCOMPARE(rex.readAll(), QByteArray("[ReExecute]\r\nReally=Yes\r\nCommand=--one two three\r\n"));
    QVERIFY(!QFileInfo::exists(iniFile()));
}

void TestStartupProcess::crashedCopyDoesNotBlock()
{
    QVERIFY(QDir().mkpath(userFolder()));
    const QString lockPath = InstanceLock::lockFileIn(userFolder());
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        auto *lock = new InstanceLock(lockPath);
        ::_exit(lock->tryLock() == InstanceLock::Result::Acquired ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QVERIFY(QFileInfo::exists(lockPath));

    Copy copy(m_home);
    QVERIFY2(waitFor([&] { return copy.logged(kFirstCopy) || !copy.running(); }),
             copy.log().constData());
    QVERIFY2(copy.logged(kFirstCopy), copy.log().constData());
}

void TestStartupProcess::tenCopiesAtOnce()
{
    std::vector<std::unique_ptr<Copy>> copies;
    for (int i = 0; i < 10; ++i)
        copies.push_back(std::make_unique<Copy>(m_home));

    const auto count = [&](const QByteArray &line) {
        return std::count_if(copies.begin(), copies.end(),
                             [&](const auto &copy) { return copy->logged(line); });
    };
    // Every copy has taken one way or the other, and every second copy has ended.
    QVERIFY(waitFor([&] {
        return count(kFirstCopy) + count(kSecondCopy) == 10 &&
               std::all_of(copies.begin(), copies.end(), [&](const auto &copy) {
                   return copy->logged(kFirstCopy) || !copy->running();
               });
    }));
    QCOMPARE(count(kFirstCopy), 1);
    QCOMPARE(count(kSecondCopy), 9);
    for (auto &copy : copies)
        QVERIFY2(copy->stop(), copy->log().constData());
}

QTEST_GUILESS_MAIN(TestStartupProcess)
#include "tst_startupprocess.moc"
