#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The program's files are UTF-8 without a byte-order mark. Files from older
// installations were written in the Windows-1252 code page, and a hand edit or a
// damaged sector may leave a stray byte in an otherwise UTF-8 file. The encoding
// is therefore decided line by line: a line that is valid UTF-8 is UTF-8, any
// other line is Windows-1252. One bad byte then garbles at most its own line,
// never every text of the file. Byte-order marks at the start of a file are not
// part of its text.
QString decodeFileText(QByteArrayView bytes); // lines end at CR or LF
QString decodeFileLine(QByteArrayView line);  // one line, decided on its own
// UTF-8 decoded with every U+FEFF kept: QString::fromUtf8 takes one at the start
// for a byte-order mark and drops it, which would change a text that begins with
// one each time it is read.
QString decodeUtf8(QByteArrayView bytes);
// The bytes after any UTF-8 byte-order marks at the start.
QByteArrayView withoutByteOrderMarks(QByteArrayView bytes);
QByteArray encodeFileText(QStringView text);

// Windows-1252 decoding on its own (bytes 0x80-0x9F as that code page has them,
// the five unassigned ones as the C1 controls of the same value).
QString decodeWindows1252(QByteArrayView bytes);

// Inside the program every line break is CR LF, as stored; the desktop uses LF.
QString toPlatformLineBreaks(QStringView text); // CR LF -> LF
QString toInternalLineBreaks(QStringView text); // lone LF -> CR LF
