#pragma once

#include <QStringView>

#include <optional>

// Settings, registry and data-file values are strings; where a number is wanted,
// the value's number is its leading decimal number ("1abc" is 1, "" and "abc" are
// 0, "1.5" is 1.5, "-2" is -2). Leading blanks are passed over.
double leadingNumber(QStringView value);

// Rounds to the nearest whole number, halves to the even neighbour (1.5 -> 2,
// 2.5 -> 2, -0.5 -> 0). Values beyond the 64-bit range are clamped.
qint64 roundHalfEven(double value);

// The leading number taken to the nearest whole number (halves to even), clamped
// to the 32-bit range; for group numbers, sizes in twips and option indexes.
qint32 wholeNumberOf(QStringView value);

// The leading number converted to a 16-bit integer as the data file's flag fields
// are: rounded halves to even; nullopt when it does not fit in 16 bits.
std::optional<qint16> int16Of(QStringView value);

// True when the value is empty or made only of space characters (U+0020); tabs
// and line breaks are content.
bool isBlank(QStringView text);

// The value with leading and trailing spaces removed (only U+0020, as the
// settings and registry readers trim).
QString trimBlanks(QStringView text);
