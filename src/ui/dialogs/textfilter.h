#pragma once

#include "store/textentry.h"

#include <QString>
#include <QStringMatcher>
#include <QStringView>

// What the search field keeps of a list: the entries whose text or caption
// holds the typed pattern, in any case and any script. The row's display
// prefixes ("# ", "@ ") and its "[cr]" marks are not part of what is searched.
// An empty pattern keeps every entry.
class TextFilter
{
public:
    TextFilter() = default;
    explicit TextFilter(const QString &pattern);

    bool isActive() const { return !m_pattern.isEmpty(); }
    const QString &pattern() const { return m_pattern; }

    bool matches(const TextEntry &entry) const;
    bool matches(QStringView text) const;

private:
    QString m_pattern;
    QStringMatcher m_matcher;
};
