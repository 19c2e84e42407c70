#include "platform/filesys.h"
#include "platform/instancelock.h"
#include "platform/textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Files must come out private even when the user's umask would allow more.
class OpenUmask
{
public:
    OpenUmask()
        : m_old(::umask(0))
    {}
    ~OpenUmask() { ::umask(m_old); }

private:
    mode_t m_old;
};

int modeOf(const QString &path)
{
    struct stat st
    {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return static_cast<int>(st.st_mode & 07777);
}

QByteArray fileBytes(const QString &path)
{
    QByteArray data;
    return readWholeFile(path, &data) ? data : QByteArray("<unreadable>");
}

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void atomicWriteIsPrivate();
    void failedTempLeavesTargetIntact_data();
    void failedTempLeavesTargetIntact();
    void fullDiskLeavesTargetIntact();
    void privateFolders();

    void lineBreaks_data();
    void lineBreaks();
    void fileTextDecoding_data();
    void fileTextDecoding();

    void oneLockHolder();
    void staleLockIsTakenOver();
    void lockInMissingFolderFails();

private:
    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPlatform::atomicWriteIsPrivate()
{
    const OpenUmask umask;
    const QString target = path("a.ini");
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    QVERIFY(QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::ReadOther));

    QString error;
    QVERIFY2(writeFileAtomically(target, "new", &error), qPrintable(error));
    QCOMPARE(fileBytes(target), QByteArray("new"));
    QCOMPARE(modeOf(target), 0600);
    QVERIFY(replaceFileAtomically(path("b.dat"), "b", path("b.tmp")));
    QCOMPARE(modeOf(path("b.dat")), 0600);
    // No temporary file is left behind.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);
}

void TestPlatform::failedTempLeavesTargetIntact_data()
{
    QTest::addColumn<QString>("tempName");
    QTest::newRow("temp in a missing folder") << "missing/t.tmp";
    QTest::newRow("temp is a folder") << "folder";
}

void TestPlatform::failedTempLeavesTargetIntact()
{
    QFETCH(QString, tempName);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
    const QString target = path("group0.dat");
    QVERIFY(writeFileAtomically(target, "keep me"));
    QString error;
    QVERIFY(!replaceFileAtomically(target, "lost", m_dir->filePath(tempName), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(fileBytes(target), QByteArray("keep me"));
    QVERIFY(QFileInfo(path("folder")).isDir());
}

void TestPlatform::fullDiskLeavesTargetIntact()
{
    const QString target = path("group0.dat");
    QVERIFY(writeFileAtomically(target, "keep me"));

    // A file-size limit makes the write stop part-way, as a full disk does.
    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written =
        replaceFileAtomically(target, QByteArray(4096, 'x'), path("t.tmp"), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QCOMPARE(fileBytes(target), QByteArray("keep me"));
    QVERIFY(!QFileInfo::exists(path("t.tmp")));
}

void TestPlatform::privateFolders()
{
    const OpenUmask umask;
    bool created = false;
    QVERIFY(makePrivateFolder(path("f"), nullptr, &created));
    QVERIFY(created);
    QCOMPARE(modeOf(path("f")), 0700);
    QVERIFY(makePrivateFolder(path("f"), nullptr, &created));
    QVERIFY(!created);

    QVERIFY(makePrivateFolderPath(path("p/q/r")));
    for (const char *name : {"p", "p/q", "p/q/r"})
        QCOMPARE(modeOf(path(name)), 0700);

    QVERIFY(writeFileAtomically(path("file"), "x"));
    QString error;
    QVERIFY(!makePrivateFolder(path("file"), &error, &created));
    QVERIFY(!error.isEmpty());
    QVERIFY(!makePrivateFolderPath(path("file/below"), &error));
    QCOMPARE(fileBytes(path("file")), QByteArray("x"));
}

void TestPlatform::lineBreaks_data()
{
    QTest::addColumn<QString>("internal");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("backInside"); // toInternalLineBreaks(platform)
    QTest::newRow("none") << "abc"
                          << "abc"
                          << "abc";
    QTest::newRow("crlf") << "a\r\nb\r\n"
                          << "a\nb\n"
                          << "a\r\nb\r\n";
    QTest::newRow("leading lf") << "\r\nx"
                                << "\nx"
                                << "\r\nx";
    QTest::newRow("blank lines") << "\r\n\r\n"
                                 << "\n\n"
                                 << "\r\n\r\n";
    QTest::newRow("lone cr stays") << "a\rb"
                                   << "a\rb"
                                   << "a\rb";
}

void TestPlatform::lineBreaks()
{
    QFETCH(QString, internal);
    QFETCH(QString, platform);
    QFETCH(QString, backInside);
    QCOMPARE(toPlatformLineBreaks(internal), platform);
    QCOMPARE(toInternalLineBreaks(platform), backInside);
    // Text that is already CR LF is not doubled.
    QCOMPARE(toInternalLineBreaks(internal), internal);
}

void TestPlatform::fileTextDecoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("utf-8") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac")
                           << QStringLiteral("Caf\u00e9 \u20ac");
    QTest::newRow("1252") << QByteArray("Caf\xe9 \x80\x9f")
                          << QStringLiteral("Caf\u00e9 \u20ac\u0178");
    QTest::newRow("1252 unassigned") << QByteArray("\x81\x8d") << QStringLiteral("\u0081\u008d");
    QTest::newRow("cut utf-8 sequence") << QByteArray("a\xc3") << QStringLiteral("a\u00c3");
}

void TestPlatform::fileTextDecoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeFileText(bytes), text);
    QCOMPARE(decodeFileText(encodeFileText(text)), text);
}

void TestPlatform::oneLockHolder()
{
    const OpenUmask umask;
    const QString lockPath = InstanceLock::lockFileIn(m_dir->path());
    auto first = std::make_unique<InstanceLock>(lockPath);
    QCOMPARE(first->tryLock(), InstanceLock::Result::Acquired);
    QCOMPARE(modeOf(lockPath), 0600);
    {
        InstanceLock second(lockPath);
        QCOMPARE(second.tryLock(), InstanceLock::Result::HeldByOther);
        QVERIFY(!second.isLocked());
    }
    QVERIFY(QFileInfo::exists(lockPath)); // the loser did not remove it
    first.reset();
    InstanceLock third(lockPath);
    QCOMPARE(third.tryLock(), InstanceLock::Result::Acquired);
}

void TestPlatform::staleLockIsTakenOver()
{
    const QString lockPath = InstanceLock::lockFileIn(m_dir->path());
    // A copy that takes the lock and dies without releasing it.
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

    InstanceLock next(lockPath);
    QCOMPARE(next.tryLock(), InstanceLock::Result::Acquired);
}

void TestPlatform::lockInMissingFolderFails()
{
    InstanceLock lock(InstanceLock::lockFileIn(path("missing")));
    QString error;
    QCOMPARE(lock.tryLock(&error), InstanceLock::Result::Failed);
    QVERIFY(error.contains(QStringLiteral("Pastebasket.lock")));
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
