#pragma once

#include <QString>

// One stored text. Flags other than 0 and 1 come only from hand-edited files:
// the display line counts a flag as set only when it is 1, Delete and Clear
// whenever it is nonzero.
struct TextEntry
{
    QString text;
    qint16 protectFlag = 0;
    QString caption;
    qint16 namedFlag = 0;

    friend bool operator==(const TextEntry &, const TextEntry &) = default;
};

// A list takes new texts (capture, Add, copy between groups) only below this many rows.
inline constexpr int kMaxListRows = 10000;
// From this many rows on the row counter turns red, a warning before the limit.
inline constexpr int kCounterWarningRows = 1000;

// The one line a list row shows for an entry: "@ " and the caption for a named
// entry, otherwise "# " (protected) or two spaces, then the text with every CR LF
// shown as "[cr]", cut to 128 UTF-16 code units followed by "..." when longer.
QString makeListText(const TextEntry &entry);

// Delete and Clear pass by an entry with any nonzero flag.
inline bool isKept(const TextEntry &entry)
{
    return entry.protectFlag != 0 || entry.namedFlag != 0;
}

// The row counter is drawn red from kCounterWarningRows rows on.
inline bool counterIsWarning(qsizetype rows)
{
    return rows >= kCounterWarningRows;
}
