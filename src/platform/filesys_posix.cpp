#include "platform/filesys_os.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errnoText(const char *what, const QString &path, int code)
{
    return QString::fromLocal8Bit(what) + QLatin1String(" ") + QDir::toNativeSeparators(path) +
           QLatin1String(": ") + QString::fromLocal8Bit(std::strerror(code));
}

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

} // namespace

namespace FileSysOs {

CreateResult writeNewFile(const QString &path, const QByteArray &data, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    // O_EXCL fails on any existing name, a dangling link included, so a link
    // planted there by someone else is never followed.
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int code = errno;
        *error = errnoText("cannot create", path, code);
        return code == EEXIST ? CreateResult::NameTaken : CreateResult::Failed;
    }
    bool ok = writeAll(fd, data);
    if (!ok)
        *error = errnoText("cannot write", path, errno);
    if (ok && ::fsync(fd) != 0) {
        *error = errnoText("cannot flush", path, errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        *error = errnoText("cannot close", path, errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(name.constData());
        return CreateResult::Failed;
    }
    return CreateResult::Written;
}

bool replaceByRename(const QString &from, const QString &to, QString *error)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *error = errnoText("cannot replace", to, errno);
    return false;
}

void syncFolderOf(const QString &path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool makeFolder(const QString &path, bool *alreadyExists, QString *error)
{
    *alreadyExists = false;
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
        return true;
    const int code = errno;
    *alreadyExists = code == EEXIST;
    *error = errnoText("cannot create", path, code);
    return false;
}

void removeFile(const QString &path)
{
    ::unlink(QFile::encodeName(path).constData());
}

} // namespace FileSysOs
