#include "platform/instancelock.h"

#include <QDir>

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

InstanceLock::Result InstanceLock::tryLock(QString *error)
{
    if (m_lock.isLocked())
        return Result::Acquired;
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
    if (locked)
        return Result::Acquired;
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
