#pragma once

#include "platform/filesys.h"

#include <QDir>
#include <QFileInfo>

// A file's bytes; a marker no test expects when it cannot be read.
inline QByteArray readBytes(const QString &path)
{
    QByteArray data;
    return readWholeFile(path, &data) ? data : QByteArray("<unreadable>");
}

// Writes a file whole, making its folder first.
inline bool writeBytes(const QString &path, const QByteArray &data)
{
    return QDir().mkpath(QFileInfo(path).path()) && writeFileAtomically(path, data);
}
