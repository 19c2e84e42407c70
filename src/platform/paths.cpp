#include "platform/paths.h"

#include <QStandardPaths>

AppPaths AppPaths::forUserFolder(const QString &userFolder)
{
    AppPaths p;
    p.userFolder = userFolder;
    p.dataFolder = userFolder + QStringLiteral("/data");
    p.tempFolder = userFolder + QStringLiteral("/temp");
    p.iniFile = userFolder + QStringLiteral("/Pastebasket.ini");
    p.rexFile = userFolder + QStringLiteral("/Pastebasket.rex");
    return p;
}

QString AppPaths::platformBaseFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString AppPaths::groupFileIn(const QString &dataFolder, qint32 groupNo)
{
    return dataFolder + QStringLiteral("/group") + QString::number(groupNo) +
           QStringLiteral(".dat");
}

QString AppPaths::groupFile(qint32 groupNo) const
{
    return groupFileIn(dataFolder, groupNo);
}

QString AppPaths::registryFile() const
{
    return dataFolder + QStringLiteral("/Management.dat");
}
