#pragma once

#include "store/textentry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

class QIODevice;

// A group's texts on disk: "[ListData]", then one line "Text<n>=" + four fields
// (text, protectFlag, caption, namedFlag) per text, CR LF line ends, UTF-8 (a line
// that is not valid UTF-8 is read as Windows-1252). In the text fields CR LF is
// stored as byte 0x01 and "," as byte 0x02. A text or caption holding what that
// cannot carry (a lone CR, U+0001, U+0002, an unpaired surrogate) is written with
// a fifth field "x1": its two text fields then also escape those characters with
// U+0003, so every other record stays exactly as older versions wrote it.

// What could not be parsed in a file's values. A file hand-edited or damaged may
// hold thousands of bad values: they are counted, and the first one described, so
// that the user is told once.
struct ParseProblems
{
    int count = 0;           // values that could not be read whole
    QString firstError;      // why the first one could not, e.g. "Overflow"
    qsizetype firstLine = 0; // its line number, from 1
    QString firstLineText;   // its line, cut short when long

    bool isEmpty() const { return count == 0; }
};

// The one message for all problems of a file, as shown titled "System error":
// "gsSetTextDataFromFileData(): " and the first error, then the count and the
// first line.
QString parseProblemsMessage(const ParseProblems &problems, const QString &path);

// One value (the text after the first "=") parsed into a fresh record. A flag that
// does not fit 16 bits ends the parse with *error = "Overflow": the record keeps
// the fields read before it.
TextEntry parseRecordValue(QStringView value, QString *error = nullptr);
// The value written for one entry (without the "Text<n>=" key).
QString formatRecordValue(const TextEntry &entry);

// The whole file's content for these entries in this order; blank texts are left out.
QByteArray serializeGroup(const QList<TextEntry> &entries);
// Every line holding "=" gives one record, in line order; keys are ignored. Lines
// end at CR or CR LF; a lone LF belongs to the line. Each line is UTF-8 when it is
// valid UTF-8, else Windows-1252. *hasHeader tells whether a "[ListData]" line was
// there.
QList<TextEntry> parseGroup(QByteArrayView content, ParseProblems *problems = nullptr,
                            bool *hasHeader = nullptr);

struct GroupLoadResult
{
    enum class Status
    {
        Loaded,  // the file was read whole
        Missing, // there is no file: an empty group
        Failed,  // the file could not be read whole, or is no group file at all
    };
    Status status = Status::Missing;
    QList<TextEntry> entries; // what was read; after a failure, as much as could be read
    ParseProblems problems;   // values that could not be parsed (the file still counts as read)
    QString setAsidePath;     // after a failure: where the original file was kept
    QString error;            // after a failure: why
};

// Reads an open device to its end: Loaded, or Failed with the records of the
// lines read whole before the error. Content without a "[ListData]" line is no
// group file (binary junk, a file of something else) and fails as well. Moves
// nothing aside.
GroupLoadResult readGroup(QIODevice *device);

// Loads a group file. When it exists but cannot be opened or read whole, or is no
// group file, the original file is renamed beside itself to
// "<name>.unreadable-<yyyyMMdd-hhmmss>", so a later save cannot drop what was not
// read; setAsidePath stays empty when even that rename failed (a save would then
// replace the file).
GroupLoadResult loadGroupFile(const QString &path);

// The message for a failed load: which file could not be read, why, and where
// it was kept.
QString loadFailureMessage(const GroupLoadResult &result, const QString &path);

// Writes the entries to a new temporary file beside path, flushes it to disk and
// renames it over path in one step: path holds the old or the new group, never a
// part. On failure path is untouched and *error says why.
bool saveGroupFile(const QString &path, const QList<TextEntry> &entries, QString *error = nullptr);
