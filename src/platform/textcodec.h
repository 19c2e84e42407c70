#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The program's files are UTF-8 without a byte-order mark. Files from older
// installations were written in the Windows-1252 code page: a file that is not
// valid UTF-8 is read as Windows-1252 so that such data still loads. Byte-order
// marks at the start of a UTF-8 file are not part of its text.
QString decodeFileText(const QByteArray &bytes);
QByteArray encodeFileText(QStringView text);

// Windows-1252 decoding on its own (bytes 0x80-0x9F as that code page has them,
// the five unassigned ones as the C1 controls of the same value).
QString decodeWindows1252(const QByteArray &bytes);

// Inside the program every line break is CR LF, as stored; the desktop uses LF.
QString toPlatformLineBreaks(QStringView text); // CR LF -> LF
QString toInternalLineBreaks(QStringView text); // lone LF -> CR LF
