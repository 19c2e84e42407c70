#include "platform/filesys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString errnoText(const char *what, const QString &path)
{
    return QString::fromLocal8Bit(what) + QLatin1String(" ") + QDir::toNativeSeparators(path) +
           QLatin1String(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

#ifdef Q_OS_UNIX
bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The rename is durable only once the folder entry itself is on disk.
void syncFolderOf(const QString &path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
#endif

} // namespace

bool replaceFileAtomically(const QString &target, const QByteArray &data, const QString &tempPath,
                           QString *error)
{
#ifdef Q_OS_UNIX
    const QByteArray tmp = QFile::encodeName(tempPath);
    ::unlink(tmp.constData());
    const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        setError(error, errnoText("cannot create", tempPath));
        return false;
    }
    bool ok = writeAll(fd, data);
    if (!ok)
        setError(error, errnoText("cannot write", tempPath));
    if (ok && ::fsync(fd) != 0) {
        setError(error, errnoText("cannot flush", tempPath));
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        setError(error, errnoText("cannot close", tempPath));
        ok = false;
    }
    if (ok && ::rename(tmp.constData(), QFile::encodeName(target).constData()) != 0) {
        setError(error, errnoText("cannot replace", target));
        ok = false;
    }
    if (!ok) {
        ::unlink(tmp.constData());
        return false;
    }
    syncFolderOf(target);
    return true;
#else
    QFile::remove(tempPath);
    QFile file(tempPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        setError(error, file.errorString());
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const bool written = file.write(data) == data.size() && file.flush();
    file.close();
    if (!written) {
        setError(error, file.errorString());
        QFile::remove(tempPath);
        return false;
    }
    // std::filesystem::rename replaces the target in one step (MoveFileEx with
    // REPLACE_EXISTING on Windows), unlike QFile::rename.
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(tempPath.toStdWString()),
                            std::filesystem::path(target.toStdWString()), ec);
    if (ec) {
        setError(error, QStringLiteral("cannot replace ") + QDir::toNativeSeparators(target));
        QFile::remove(tempPath);
        return false;
    }
    return true;
#endif
}

bool writeFileAtomically(const QString &target, const QByteArray &data, QString *error)
{
    const QString temp =
        target + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate64(), 16, 16,
                                               QLatin1Char('0'));
    return replaceFileAtomically(target, data, temp, error);
}

bool makePrivateFolder(const QString &path, QString *error, bool *created)
{
    if (created)
        *created = false;
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists() || info.isSymLink()) {
        setError(
            error,
            QStringLiteral("%1 exists and is not a folder").arg(QDir::toNativeSeparators(path)));
        return false;
    }
#ifdef Q_OS_UNIX
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0) {
        const int mkdirErrno = errno;
        // Another copy may have made it meanwhile.
        if (mkdirErrno == EEXIST && QFileInfo(path).isDir())
            return true;
        errno = mkdirErrno;
        setError(error, errnoText("cannot create", path));
        return false;
    }
#else
    if (!QDir().mkdir(path)) {
        if (QFileInfo(path).isDir())
            return true;
        setError(error, QStringLiteral("cannot create ") + QDir::toNativeSeparators(path));
        return false;
    }
#endif
    if (created)
        *created = true;
    return true;
}

bool makePrivateFolderPath(const QString &path, QString *error)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    if (QFileInfo(clean).isDir())
        return true;
    const QString parent = QFileInfo(clean).path();
    if (parent != clean && !makePrivateFolderPath(parent, error))
        return false;
    return makePrivateFolder(clean, error);
}

bool readWholeFile(const QString &path, QByteArray *data, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return false;
    }
    *data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, file.errorString());
        return false;
    }
    return true;
}
