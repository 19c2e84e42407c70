#pragma once

#include "store/textentry.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

class QIODevice;

// A group's texts on disk: "[ListData]", then one line "Text<n>=" + four fields
// (text, protectFlag, caption, namedFlag) per text, CR LF line ends, UTF-8 (a file
// that is not valid UTF-8 is read as Windows-1252). In the text fields CR LF is
// stored as byte 0x01 and "," as byte 0x02. A text or caption holding what that
// cannot carry (a lone CR, U+0001, U+0002, an unpaired surrogate) is written with
// a fifth field "x1": its two text fields then also escape those characters with
// U+0003, so every other record stays exactly as older versions wrote it.

// Receives the message of a value that cannot be parsed, already prefixed with
// "gsSetTextDataFromFileData(): "; the caller shows it (titled "System error").
using ParseErrorReporter = std::function<void(const QString &message)>;

// One value (the text after the first "=") parsed into a fresh record. A flag that
// does not fit 16 bits is reported ("Overflow") and ends the parse: the record
// keeps the fields read before it.
TextEntry parseRecordValue(QStringView value, const ParseErrorReporter &report);
// The value written for one entry (without the "Text<n>=" key).
QString formatRecordValue(const TextEntry &entry);

// The whole file's content for these entries in this order; blank texts are left out.
QByteArray serializeGroup(const QList<TextEntry> &entries);
// Every line holding "=" gives one record, in line order; keys are ignored. Lines
// end at CR or CR LF; a lone LF belongs to the line.
QList<TextEntry> parseGroup(const QByteArray &content, const ParseErrorReporter &report);

struct GroupLoadResult
{
    enum class Status
    {
        Loaded,  // the file was read whole
        Missing, // there is no file: an empty group
        Failed,  // the file could not be read whole
    };
    Status status = Status::Missing;
    QList<TextEntry> entries; // what was read; after a failure, as much as could be read
    QString setAsidePath;     // after a failure: where the original file was kept
    QString error;            // after a failure: why
};

// Reads an open device to its end: Loaded, or Failed with the records of the
// lines read whole before the error. Moves nothing aside.
GroupLoadResult readGroup(QIODevice *device, const ParseErrorReporter &report);

// Loads a group file. When it exists but cannot be opened or read whole, the
// original file is renamed beside itself to "<name>.unreadable-<yyyyMMdd-hhmmss>",
// so a later save cannot drop what was not read; setAsidePath stays empty when
// even that rename failed (a save would then replace the file).
GroupLoadResult loadGroupFile(const QString &path, const ParseErrorReporter &report);

// Writes the entries to tempPath (replacing a leftover one), flushes it to disk and
// renames it over path in one step: path holds the old or the new group, never a
// part. Both must be on one file system. On failure path is untouched.
bool saveGroupFile(const QString &path, const QString &tempPath, const QList<TextEntry> &entries,
                   QString *error = nullptr);
