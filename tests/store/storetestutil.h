#pragma once

#include "store/textentry.h"

#include <QFile>
#include <QList>
#include <QMetaType>
#include <QTest>

Q_DECLARE_METATYPE(TextEntry)

inline TextEntry te(QStringView text, qint16 protect = 0, QStringView caption = {},
                    qint16 named = 0)
{
    return TextEntry{text.toString(), protect, caption.toString(), named};
}

// Readable failure output for QCOMPARE of entries and lists of entries.
inline char *toString(const TextEntry &e)
{
    return QTest::toPrettyUnicode(QString(e.text + u", " + QString::number(e.protectFlag) + u", " +
                                          e.caption + u", " + QString::number(e.namedFlag)));
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline void writeBytes(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
}
