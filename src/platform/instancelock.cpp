#include "platform/instancelock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

InstanceLock::InstanceLock(const QString &lockFilePath)
    : m_path(lockFilePath)
    , m_lock(lockFilePath)
{
    // QLockFile's default stale time stays: a lock whose owner process no longer
    // runs is stale at once, and one whose owner still runs is protected by the
    // kernel lock that owner holds, however old the file is.
}

InstanceLock::~InstanceLock()
{
    if (m_lock.isLocked())
        m_lock.unlock();
}

QString InstanceLock::lockFileIn(const QString &userFolder)
{
    return userFolder + QStringLiteral("/Pastebasket.lock");
}

bool InstanceLock::lockOnce()
{
#ifdef Q_OS_UNIX
    // QLockFile creates its file with the default mode; it must be private like
    // every other file of ours. Start-up runs on one thread, so the process-wide
    // mask is safe to change for this moment.
    const mode_t oldMask = ::umask(077);
#endif
    const bool locked = m_lock.tryLock(0);
#ifdef Q_OS_UNIX
    ::umask(oldMask);
#endif
    return locked;
}

bool InstanceLock::ownerNamed() const
{
    qint64 pid = 0;
    QString host;
    QString app;
    return m_lock.getLockInfo(&pid, &host, &app);
}

InstanceLock::Result InstanceLock::tryLock(QString *error)
{
    if (m_lock.isLocked())
        return Result::Acquired;
    bool locked = lockOnce();
    bool heldWithoutOwner = false;
    if (!locked && m_lock.error() == QLockFile::LockFailedError && !ownerNamed()) {
        // QLockFile counts a lock file that names no owner as held until it is
        // 30 s old. A copy starting this very moment writes its owner right
        // after creating the file: give it that moment, then take the file over
        // unless a live process still holds it.
        const QDeadlineTimer deadline(1000);
        while (!ownerNamed() && QFileInfo::exists(m_path) && !deadline.hasExpired())
            QThread::msleep(20);
        if (ownerNamed() || m_lock.removeStaleLockFile() || !QFileInfo::exists(m_path))
            locked = lockOnce();
        else
            heldWithoutOwner = true;
    }
    if (locked)
        return Result::Acquired;
    if (heldWithoutOwner) {
        if (error) {
            *error = QStringLiteral("the lock file %1 names no owner, yet a running process "
                                    "holds it")
                         .arg(QDir::toNativeSeparators(m_path));
        }
        return Result::Failed;
    }
    if (m_lock.error() == QLockFile::LockFailedError)
        return Result::HeldByOther;
    if (error) {
        *error =
            QStringLiteral("cannot create the lock file ") + QDir::toNativeSeparators(m_path) +
            (m_lock.error() == QLockFile::PermissionError ? QStringLiteral(": permission denied")
                                                          : QString());
    }
    return Result::Failed;
}
