#include "platform/instancelock.h"
#include "platform/processguard.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <optional>

class TestInstanceLock : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.emplace().isValid()); }

    // What a crash between creating the lock file and writing its owner, or a
    // full disk, leaves: a fresh file that names nobody. No process holds it, so
    // it is taken over at once rather than counted as another running copy.
    void freshOwnerlessLockIsTakenOver_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray("\x01\xff not a lock\n");
        QTest::newRow("no pid") << QByteArray("\nhost\napp\n");
    }
    void freshOwnerlessLockIsTakenOver()
    {
        QFETCH(QByteArray, content);
        QVERIFY(writeLockFile(content));
        InstanceLock lock(path());
        QString error;
        QCOMPARE(lock.tryLock(&error), InstanceLock::Result::Acquired);
        QVERIFY(error.isEmpty());
        // It is ours now: a second lock is held off.
        InstanceLock other(path());
        QCOMPARE(other.tryLock(), InstanceLock::Result::HeldByOther);
    }

    // The same file held open and locked by a live process is not ours to take,
    // and the start says why it cannot run instead of ending without a word.
    void ownerlessLockHeldByALiveProcessIsExplained()
    {
        QVERIFY(writeLockFile("garbage"));
        const int fd = ::open(QFile::encodeName(path()).constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
        InstanceLock lock(path());
        QString error;
        QCOMPARE(lock.tryLock(&error), InstanceLock::Result::Failed);
        QVERIFY2(error.contains(path()) && error.contains(QStringLiteral("holds it")),
                 qPrintable(error));
        ::close(fd);
        QCOMPARE(lock.tryLock(), InstanceLock::Result::Acquired);
    }

    void coreDumpsAreOff()
    {
        guardProcess();
        QVERIFY(coreDumpsDisabled());
    }

private:
    QString path() const { return InstanceLock::lockFileIn(m_dir->path()); }
    bool writeLockFile(const QByteArray &content) const
    {
        QFile file(path());
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    }

    std::optional<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instancelock.moc"
