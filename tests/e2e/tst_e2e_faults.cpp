// Faults of the file system and the process, made against the real program: a
// full disk, a read-only data folder, "temp" replaced by a file, the group file
// replaced by a folder, SIGKILL in the middle of saves, a signal during the
// splash. After each, whatever the program held in memory is in the group file
// or in a recovery file, or the log says why it could not be kept anywhere.
#include "store/groupfile.h"
#include "xdesktop.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kTimeoutMs = 30000;
constexpr uid_t kNobody = 65534;

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

// One copy of the program in a data folder of its own, on the X server given
// or on the offscreen platform, with its log on hand.
class Program
{
public:
    explicit Program(const XDesktop *desktop = nullptr)
        : m_desktop(desktop)
    {
        QDir().mkpath(file(QStringLiteral("data")));
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QString user() const
    {
        return m_home.path() + QStringLiteral("/Orvendel Software/Pastebasket");
    }
    QString file(const QString &name) const { return user() + u'/' + name; }
    QString home() const { return m_home.path(); }
    QString runtime() const { return m_runtime.path(); }

    // childSetup runs in the child between fork and exec.
    void start(std::function<void()> childSetup = {})
    {
        QProcessEnvironment env =
            m_desktop ? m_desktop->environment() : QProcessEnvironment::systemEnvironment();
        if (!m_desktop)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("pastebasket.*.info=true"));
        QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
        asan.replace(QStringLiteral("strict_string_checks=1"),
                     QStringLiteral("strict_string_checks=0"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), asan);
        m_process.setProcessEnvironment(env);
        if (childSetup)
            m_process.setChildProcessModifier(childSetup);
        m_process.start(QStringLiteral(PB_EXECUTABLE), {});
        QVERIFY2(m_process.waitForStarted(kTimeoutMs), qPrintable(m_process.errorString()));
    }
    bool waitForLog(const QByteArray &line)
    {
        const QDeadlineTimer deadline(kTimeoutMs);
        while (!logged(line) && m_process.state() == QProcess::Running && !deadline.hasExpired())
            m_process.waitForReadyRead(100);
        return logged(line);
    }
    bool logged(const QByteArray &line)
    {
        m_log += m_process.readAllStandardError();
        return m_log.contains(line);
    }
    const QByteArray &log()
    {
        m_log += m_process.readAllStandardError();
        return m_log;
    }
    void terminate() { m_process.terminate(); }
    void signal(int number) const { ::kill(static_cast<pid_t>(m_process.processId()), number); }
    qint64 pid() const { return m_process.processId(); }
    void kill() { m_process.kill(); }
    // The exit code; nullopt when it did not end in time or died of a signal.
    std::optional<int> waitForExit(int timeoutMs = kTimeoutMs)
    {
        if (!m_process.waitForFinished(timeoutMs) || m_process.exitStatus() != QProcess::NormalExit)
            return std::nullopt;
        log();
        return m_process.exitCode();
    }
    bool isRunning() const { return m_process.state() == QProcess::Running; }

    // Every text kept: in the group file, or in a recovery file of it in the data
    // folder or the user folder.
    QStringList keptTexts() const
    {
        QStringList texts;
        QStringList files{file(QStringLiteral("data/group0.dat"))};
        for (const QString &folder : {file(QStringLiteral("data")), user()}) {
            for (const QFileInfo &info :
                 QDir(folder).entryInfoList({QStringLiteral("group0.dat.recovered-*")}))
                files << info.filePath();
        }
        for (const QString &path : std::as_const(files)) {
            if (!QFileInfo(path).isFile())
                continue;
            for (const TextEntry &e : parseGroup(bytesOf(path), {}))
                texts << e.text;
        }
        return texts;
    }

private:
    const XDesktop *m_desktop;
    QTemporaryDir m_home;
    QTemporaryDir m_runtime;
    QProcess m_process;
    QByteArray m_log;
};

const QByteArray kStartupDone = "pastebasket.exit: start-up done";
const QByteArray kFirstCopy = "pastebasket.startup: first copy";

// A group of `count` texts as an older version wrote it, in Windows-1252, and
// the same texts as this version writes them.
struct OldGroup
{
    explicit OldGroup(int count)
    {
        oldBytes = "[ListData]\r\n";
        for (int i = 1; i <= count; ++i) {
            const QString text = QStringLiteral("caf\u00e9 number %1, kept").arg(i);
            entries.append(TextEntry{text, qint16(i % 2), QString(), 0});
            oldBytes += "Text" + QByteArray::number(i) + "=caf\xe9 number " +
                        QByteArray::number(i) + "\x02 kept," + QByteArray::number(i % 2) +
                        ",,0\r\n";
        }
        newBytes = serializeGroup(entries);
    }
    QList<TextEntry> entries;
    QByteArray oldBytes;
    QByteArray newBytes;
};

enum class Fault
{
    GroupFileIsAFolder,
    TempIsAFile,
    DiskFull,
    DataFolderReadOnly,
};

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    // SIGKILL at random moments while a 10,000-text group is saved (at the exit
    // that SIGTERM starts): the group file is always the old or the new one,
    // whole, and the settings file is whole.
    void killDuringSavesLeavesWholeFiles()
    {
        const OldGroup group(10000);
        Program program;
        QVERIFY(put(program.file(QStringLiteral("data/group0.dat")), group.oldBytes));
        QRandomGenerator random(QRandomGenerator::global()->generate());
        for (int round = 0; round < 8; ++round) {
            program.start();
            QVERIFY2(program.waitForLog(kStartupDone), program.log().constData());
            program.terminate();
            QThread::msleep(random.bounded(250));
            program.kill();
            program.waitForExit();
            const QByteArray now = bytesOf(program.file(QStringLiteral("data/group0.dat")));
            QVERIFY2(now == group.oldBytes || now == group.newBytes,
                     qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(now.size())));
            const QByteArray ini = bytesOf(program.file(QStringLiteral("Pastebasket.ini")));
            QVERIFY(ini.startsWith("[Setup]\r\n") && ini.endsWith("\r\n"));
        }
        // Nothing half-written is left where the program would read it.
        const QStringList names = QDir(program.file(QStringLiteral("data")))
                                      .entryList(QDir::Files | QDir::NoDotAndDotDot);
        for (const QString &name : names)
            QVERIFY2(name == u"group0.dat" || name == u"Management.dat" || name.endsWith(u".tmp"),
                     qPrintable(name));
    }

    // A crash must not write the clipboard history into a core file.
    void noCoreFile()
    {
        Program program;
        program.start();
        QVERIFY2(program.waitForLog(kStartupDone), program.log().constData());
        const QByteArray limits = bytesOf(QStringLiteral("/proc/%1/limits").arg(program.pid()));
        const QByteArray core = limits.mid(limits.indexOf("Max core file size"), 80);
        QVERIFY2(core.simplified().startsWith("Max core file size 0 0 "), core.constData());
        program.terminate();
        QCOMPARE(program.waitForExit(), 0);
    }

    // A SIGTERM at any moment of start-up, the splash's event loop included,
    // ends the program, and it saves as any exit does (the settings; the group,
    // unchanged since its load, keeps its bytes).
    void signalDuringStartUpEndsAndSaves()
    {
        XDesktop desktop;
        QVERIFY2(desktop.start(), qPrintable(desktop.error()));
        const OldGroup group(3);
        for (int delayMs : {0, 5, 15, 30, 60, 100, 200}) {
            Program program(&desktop);
            QVERIFY(put(program.file(QStringLiteral("data/group0.dat")), group.oldBytes));
            program.start();
            QVERIFY2(program.waitForLog(kFirstCopy), program.log().constData());
            QThread::msleep(static_cast<unsigned long>(delayMs));
            program.terminate();
            const std::optional<int> code = program.waitForExit(20000);
            QVERIFY2(code == 0, qPrintable(QStringLiteral("after %1 ms: %2")
                                               .arg(delayMs)
                                               .arg(QString::fromLocal8Bit(program.log()))));
            QCOMPARE(bytesOf(program.file(QStringLiteral("data/group0.dat"))), group.oldBytes);
            QVERIFY(
                bytesOf(program.file(QStringLiteral("Pastebasket.ini"))).contains("[WindowSize]"));
        }
    }

    // A text taken from the clipboard is only in memory when the fault comes;
    // then SIGTERM. The save fails, the program says so in its log and ends with
    // a failure status, and the text is in a recovery file, wherever one could
    // be written.
    void signalExitWithAFailingSave_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("recoverable");
        QTest::newRow("group file replaced by a folder, SIGTERM")
            << Fault::GroupFileIsAFolder << int(SIGTERM) << true;
        QTest::newRow("temp replaced by a file, SIGHUP")
            << Fault::TempIsAFile << int(SIGHUP) << true;
        QTest::newRow("read-only data folder, SIGINT")
            << Fault::DataFolderReadOnly << int(SIGINT) << true;
        // Nothing can be written on a full disk: the log says what was lost.
        QTest::newRow("disk full, SIGTERM") << Fault::DiskFull << int(SIGTERM) << false;
    }
    void signalExitWithAFailingSave()
    {
        QFETCH(Fault, fault);
        QFETCH(int, signal);
        QFETCH(bool, recoverable);
        XDesktop desktop;
        QVERIFY2(desktop.start(), qPrintable(desktop.error()));
        Program program(&desktop);
        const QByteArray old = "[ListData]\r\nText1=saved before,0,,0\r\n";
        QVERIFY(put(program.file(QStringLiteral("data/group0.dat")), old));

        std::function<void()> childSetup;
        if (fault == Fault::DiskFull) {
            // Room for the settings, not for a group file with the new text.
            childSetup = [] {
                const rlimit limit{2048, 2048};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            };
        } else if (fault == Fault::DataFolderReadOnly && ::geteuid() == 0) {
            // Permission bits do not hold the superuser back: run as nobody.
            QVERIFY(chownTree(program.home(), kNobody) && chownTree(program.runtime(), kNobody));
            childSetup = [] {
                const gid_t group = kNobody;
                if (::setgroups(1, &group) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                    ::_exit(97);
            };
        }
        program.start(childSetup);
        QVERIFY2(program.waitForLog(kStartupDone), program.log().constData());

        const QByteArray text = QByteArray("only in memory ") + QByteArray(3000, 'x');
        QVERIFY(desktop.run(QStringLiteral("xclip"),
                            QStringLiteral("-selection clipboard").split(u' '), text));
        QVERIFY2(program.waitForLog("captured 3015 characters"), program.log().constData());

        const QString group0 = program.file(QStringLiteral("data/group0.dat"));
        switch (fault) {
        case Fault::GroupFileIsAFolder:
            QVERIFY(QFile::remove(group0) && QDir().mkdir(group0));
            break;
        case Fault::TempIsAFile:
            QVERIFY(QDir(program.file(QStringLiteral("temp"))).removeRecursively());
            QVERIFY(put(program.file(QStringLiteral("temp")), "a file"));
            break;
        case Fault::DataFolderReadOnly:
            QVERIFY(QFile::setPermissions(program.file(QStringLiteral("data")),
                                          QFile::ReadOwner | QFile::ExeOwner));
            break;
        case Fault::DiskFull:
            break;
        }
        program.signal(signal);
        const std::optional<int> code = program.waitForExit();
        QFile::setPermissions(program.file(QStringLiteral("data")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(code.has_value(), program.log().constData());

        const bool saved = bytesOf(group0).contains("only in memory");
        if (saved) {
            // A save that does not need the temp folder simply works.
            QCOMPARE(fault, Fault::TempIsAFile);
            QCOMPARE(*code, 0);
            return;
        }
        QVERIFY2(*code != 0, program.log().constData());
        QVERIFY2(program.log().contains("pastebasket.save: cannot save"),
                 program.log().constData());
        if (recoverable) {
            QVERIFY2(program.keptTexts().contains(QString::fromLatin1(text)),
                     program.log().constData());
            QVERIFY(program.log().contains("texts in memory are kept in"));
        } else {
            QVERIFY(program.log().contains("could not be kept anywhere"));
            QCOMPARE(bytesOf(group0), old); // what was saved before is whole
        }
    }

private:
    static bool chownTree(const QString &root, uid_t owner)
    {
        bool ok = ::chown(QFile::encodeName(root).constData(), owner, owner) == 0;
        QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            ok = ::chown(QFile::encodeName(it.next()).constData(), owner, owner) == 0 && ok;
        return ok;
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_e2e_faults.moc"
