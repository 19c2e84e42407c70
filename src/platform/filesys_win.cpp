#include "platform/filesys_os.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace FileSysOs {

CreateResult writeNewFile(const QString &path, const QByteArray &data, QString *error)
{
    QFile file(path);
    // NewOnly creates the file or fails, never opening what is already there.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *error = file.errorString();
        return QFileInfo::exists(path) || QFileInfo(path).isSymLink() ? CreateResult::NameTaken
                                                                      : CreateResult::Failed;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const bool written = file.write(data) == data.size() && file.flush();
    if (!written)
        *error = file.errorString();
    file.close();
    if (!written) {
        QFile::remove(path);
        return CreateResult::Failed;
    }
    return CreateResult::Written;
}

bool replaceByRename(const QString &from, const QString &to, QString *error)
{
    // std::filesystem::rename replaces the target in one step (MoveFileEx with
    // REPLACE_EXISTING), unlike QFile::rename.
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdWString()),
                            std::filesystem::path(to.toStdWString()), ec);
    if (!ec)
        return true;
    *error = QStringLiteral("cannot replace ") + QDir::toNativeSeparators(to) +
             QStringLiteral(": ") + QString::fromStdString(ec.message());
    return false;
}

void syncFolderOf(const QString &)
{
    // The rename is made durable by the file system itself.
}

bool makeFolder(const QString &path, bool *alreadyExists, QString *error)
{
    *alreadyExists = false;
    if (QDir().mkdir(path))
        return true;
    *alreadyExists = QFileInfo::exists(path);
    *error = QStringLiteral("cannot create ") + QDir::toNativeSeparators(path);
    return false;
}

void removeFile(const QString &path)
{
    QFile::remove(path);
}

} // namespace FileSysOs
