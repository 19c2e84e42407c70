#pragma once

#include <QLockFile>
#include <QString>

// One running copy per user. The lock file lives in the user's own folder, and
// its creation is atomic, so of several copies started at the same instant only
// one gets it. A lock left behind by a copy that crashed is taken over: its
// owner process is gone, and the kernel released the lock it held on the file.
// So is a lock file that names no owner (empty or garbage, as a crash between
// its creation and its first write or a full disk leaves it) once no live
// process holds it.
class InstanceLock
{
public:
    enum class Result
    {
        Acquired,
        HeldByOther,
        Failed
    };

    explicit InstanceLock(const QString &lockFilePath);
    ~InstanceLock(); // releases the lock
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    static QString lockFileIn(const QString &userFolder); // userFolder/Pastebasket.lock

    // Answers at once, or within a second for a lock file that names no owner;
    // Failed when the lock file cannot be made or taken over (the reason goes
    // to *error), which is not the same as another copy holding it.
    Result tryLock(QString *error = nullptr);
    const QString &path() const { return m_path; }

private:
    bool lockOnce();
    bool ownerNamed() const;

    QString m_path;
    QLockFile m_lock;
};
