#pragma once

#include "store/textentry.h"

#include <QList>

// Two contents the crash test alternates between, each a few texts of many lines.
inline QList<TextEntry> crashContent(bool second)
{
    const QString word = second ? QStringLiteral("second") : QStringLiteral("first");
    const QString line = word + QStringLiteral(", a line of the group\r\n");
    QList<TextEntry> entries;
    for (int i = 0; i < (second ? 3 : 4); ++i)
        entries.append(TextEntry{line.repeated(second ? 450 : 300) + QString::number(i),
                                 qint16(i % 2), word, 0});
    return entries;
}
