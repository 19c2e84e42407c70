#include "ui/dialogs/textfilter.h"

TextFilter::TextFilter(const QString &pattern)
    // Typed text comes composed; the matcher folds case one character at a time,
    // surrogate pairs included.
    : m_pattern(pattern.normalized(QString::NormalizationForm_C))
    , m_matcher(m_pattern, Qt::CaseInsensitive)
{}

bool TextFilter::matches(QStringView text) const
{
    return m_pattern.isEmpty() || m_matcher.indexIn(text) >= 0;
}

bool TextFilter::matches(const TextEntry &entry) const
{
    return matches(QStringView(entry.text)) || matches(QStringView(entry.caption));
}
