// Faults of the file system and the process, made against the real program: a
// full disk, a read-only data folder, the group file replaced by a folder, a
// signal during the splash. After each,
// whatever the program held in memory is in the group file or in a recovery
// file, or the log says why it could not be kept anywhere.
#include "e2e/xdesktop.h"
#include "support/program.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kStartupDone = "pastebasket.exit: start-up done";

enum class Fault
{
    GroupFileIsAFolder,
    DataFolderReadOnly,
    DiskFull,
};

constexpr uid_t kNobody = 65534;

// Hands a folder and all in it to another user.
bool chownTree(const QString &root, uid_t owner)
{
    bool ok = ::chown(QFile::encodeName(root).constData(), owner, owner) == 0;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        ok = ::chown(QFile::encodeName(it.next()).constData(), owner, owner) == 0 && ok;
    return ok;
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    // A SIGTERM at any moment of start-up, the splash's event loop included,
    // ends the program, and it saves the settings as any exit does; the group,
    // unchanged, is not written at all.
    void signalDuringStartUpEndsAndSaves()
    {
        XDesktop desktop;
        QVERIFY2(desktop.start(), qPrintable(desktop.error()));
        // As an older version wrote it, in Windows-1252.
        const QByteArray old = "[ListData]\r\nText1=caf\xe9 number 1\x02 kept,1,,0\r\n";
        const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-3);
        for (int delayMs : {0, 5, 15, 30, 60, 100, 200}) {
            Program program(desktop.environment());
            QVERIFY(program.write("data/group0.dat", old));
            QFile group(program.file("data/group0.dat"));
            QVERIFY(group.open(QIODevice::ReadWrite) &&
                    group.setFileTime(past, QFileDevice::FileModificationTime));
            group.close();
            program.start();
            QVERIFY(program.waitForLog("pastebasket.startup: first copy"));
            QThread::msleep(static_cast<unsigned long>(delayMs));
            program.signal(SIGTERM);
            QVERIFY2(program.waitForExit() == 0, qPrintable(u"after %1 ms"_s.arg(delayMs)));
            QCOMPARE(program.read(), old);
            QCOMPARE(QFileInfo(group).lastModified().toUTC(), past);
            QVERIFY(program.read("Pastebasket.ini").contains("[WindowSize]"));
        }
    }

    // A text taken from the clipboard is only in memory when the fault comes;
    // then a signal. The save fails, the program says so in its log and ends
    // with a failure status, and the text is in a recovery file, wherever one
    // could be written.
    void signalExitWithAFailingSave_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("signal");
        QTest::newRow("group file replaced by a folder, SIGHUP")
            << Fault::GroupFileIsAFolder << int(SIGHUP);
        // The recovery file then goes to the user folder above it.
        QTest::newRow("read-only data folder, SIGINT") << Fault::DataFolderReadOnly << int(SIGINT);
        // Nothing can be written on a full disk: the log says what was lost.
        QTest::newRow("disk full, SIGTERM") << Fault::DiskFull << int(SIGTERM);
    }
    void signalExitWithAFailingSave()
    {
        QFETCH(Fault, fault);
        QFETCH(int, signal);
        XDesktop desktop;
        QVERIFY2(desktop.start(), qPrintable(desktop.error()));
        Program program(desktop.environment());
        const QByteArray old = "[ListData]\r\nText1=saved before,0,,0\r\n";
        QVERIFY(program.write("data/group0.dat", old));
        // Permission bits do not hold the superuser back: it runs as nobody then.
        const bool asNobody = fault == Fault::DataFolderReadOnly && ::geteuid() == 0;
        if (asNobody)
            QVERIFY(chownTree(program.top(), kNobody));
        program.start({}, [fault, asNobody] {
            // Room for the settings, not for a group file with the new text.
            const rlimit limit{2048, 2048};
            if (fault == Fault::DiskFull)
                ::setrlimit(RLIMIT_FSIZE, &limit);
            const gid_t group = kNobody;
            if (asNobody &&
                (::setgroups(1, &group) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                ::_exit(97);
        });
        QVERIFY(program.waitForLog(kStartupDone));

        const QByteArray text = QByteArray("only in memory ") + QByteArray(3000, 'x');
        QVERIFY(desktop.copy(text));
        QVERIFY(program.waitForLog("captured 3015 characters"));
        const QString group0 = program.file("data/group0.dat");
        if (fault == Fault::GroupFileIsAFolder)
            QVERIFY(QFile::remove(group0) && QDir().mkdir(group0));
        const QString data = program.file("data");
        if (fault == Fault::DataFolderReadOnly)
            QVERIFY(QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner));
        program.signal(signal);
        const int code = program.waitForExit();
        QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(code > 0);
        QVERIFY(program.log().contains("pastebasket.save: cannot save"));
        if (fault == Fault::DiskFull) {
            QVERIFY(program.log().contains("could not be kept anywhere"));
            QCOMPARE(program.read(), old); // what was saved before is whole
            return;
        }
        QVERIFY(program.log().contains("texts in memory are kept in"));
        const QString folder = fault == Fault::DataFolderReadOnly ? QString() : u"data/"_s;
        const QStringList recovered =
            QDir(program.file(qPrintable(folder))).entryList({u"group0.dat.recovered-*"_s});
        QCOMPARE(recovered.size(), 1);
        QVERIFY(program.read(qPrintable(folder + recovered.first())).contains(text));
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_e2e_faults.moc"
