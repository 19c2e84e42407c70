#include "platform/filesys.h"

#include "platform/filesys_os.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// A name beside target that no other writer picks.
QString freshTempName(const QString &target)
{
    return target + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate64(), 16, 16,
                                                  QLatin1Char('0'));
}

bool renameIntoPlace(const QString &temp, const QString &target, QString *error)
{
    QString reason;
    if (!FileSysOs::replaceByRename(temp, target, &reason)) {
        FileSysOs::removeFile(temp);
        setError(error, reason);
        return false;
    }
    FileSysOs::syncFolderOf(target);
    return true;
}

} // namespace

bool writeFileAtomically(const QString &target, const QByteArray &data, QString *error)
{
    // A random name taken already (by a crashed save, or by a link someone
    // planted) is passed by, never opened.
    QString reason;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString temp = freshTempName(target);
        switch (FileSysOs::writeNewFile(temp, data, &reason)) {
        case FileSysOs::CreateResult::Written:
            return renameIntoPlace(temp, target, error);
        case FileSysOs::CreateResult::NameTaken:
            continue;
        case FileSysOs::CreateResult::Failed:
            setError(error, reason);
            return false;
        }
    }
    setError(error, reason);
    return false;
}

int removeLeftoverTempFiles(const QString &folder, const QString &namePattern)
{
    static const QRegularExpression tempName(QStringLiteral("\\.[0-9a-f]{16}\\.tmp$"));
    const QDir dir(folder);
    int removed = 0;
    const QStringList names = dir.entryList({namePattern + QStringLiteral(".*.tmp")},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (tempName.match(name).hasMatch() && !QFileInfo(dir.filePath(name)).isSymLink() &&
            QFile::remove(dir.filePath(name)))
            ++removed;
    }
    return removed;
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
    bool alreadyExists = false;
    QString reason;
    if (!FileSysOs::makeFolder(path, &alreadyExists, &reason)) {
        // Another copy may have made it meanwhile.
        if (alreadyExists && QFileInfo(path).isDir())
            return true;
        setError(error, reason);
        return false;
    }
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
