#pragma once

#include "store/textentry.h"

#include <QList>
#include <QMetaType>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(TextEntry)

inline TextEntry te(QStringView text, qint16 protect = 0, QStringView caption = {},
                    qint16 named = 0)
{
    return TextEntry{text.toString(), protect, caption.toString(), named};
}

// Readable failure output for QCOMPARE of entries and lists of entries.
inline char *toString(const TextEntry &e)
{
    const std::unique_ptr<char[]> text(QTest::toPrettyUnicode(e.text));
    const std::unique_ptr<char[]> caption(QTest::toPrettyUnicode(e.caption));
    const QByteArray out = QByteArray(text.get()) + ", " + QByteArray::number(e.protectFlag) +
                           ", " + caption.get() + ", " + QByteArray::number(e.namedFlag);
    return qstrdup(out.constData());
}
