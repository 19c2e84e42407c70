#include "store/textentry.h"

namespace {
constexpr qsizetype kMaxShownUnits = 128;
}

QString makeListText(const TextEntry &entry)
{
    if (entry.namedFlag == 1)
        return QStringLiteral("@ ") + entry.caption;

    // Build only as much of the "[cr]" form as can be shown: a captured text may
    // be megabytes long and this runs for every new row.
    QString shown;
    shown.reserve(kMaxShownUnits + 8);
    const QString &text = entry.text;
    const qsizetype n = text.size();
    bool cut = false;
    for (qsizetype i = 0; i < n; ++i) {
        if (shown.size() > kMaxShownUnits) {
            cut = true;
            break;
        }
        if (text[i] == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) {
            shown += QLatin1String("[cr]");
            ++i;
        } else {
            shown += text[i];
        }
    }
    if (cut || shown.size() > kMaxShownUnits) {
        shown.truncate(kMaxShownUnits);
        shown += QLatin1String("...");
    }
    return (entry.protectFlag == 1 ? QStringLiteral("# ") : QStringLiteral("  ")) + shown;
}
