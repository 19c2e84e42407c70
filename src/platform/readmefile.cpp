#include "platform/readmefile.h"

#include <QDir>
#include <QFileInfo>

#ifndef PB_DOC_FROM_BIN
#define PB_DOC_FROM_BIN "../share/doc/pastebasket"
#endif

QString readmeFileFor(const QString &programFolder)
{
    const QDir folder(programFolder);
    const QString name = QStringLiteral("Readme.html");
    const QString beside = folder.filePath(name);
    if (QFileInfo(beside).isFile()) {
        return beside;
    }
    const QString installed =
        QDir::cleanPath(folder.filePath(QStringLiteral(PB_DOC_FROM_BIN "/") + name));
    return QFileInfo(installed).isFile() ? installed : beside;
}
