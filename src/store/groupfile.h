#pragma once

#include "store/textentry.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

// A group's texts on disk: "[ListData]", then one line "Text<n>=" + four fields
// (text, protectFlag, caption, namedFlag) per text, CR LF line ends. In the text
// fields CR LF is stored as byte 0x01 and "," as byte 0x02.

// Receives the message of a value that cannot be parsed, already prefixed with
// "gsSetTextDataFromFileData(): "; the caller shows it (titled "System error").
using ParseErrorReporter = std::function<void(const QString &message)>;

// One value (the text after the first "=") parsed into a fresh record.
TextEntry parseRecordValue(QStringView value, const ParseErrorReporter &report);
// The value written for one entry (without the "Text<n>=" key).
QString formatRecordValue(const TextEntry &entry);

// The whole file's content for these entries in this order; blank texts are left out.
QByteArray serializeGroup(const QList<TextEntry> &entries);
// Every line holding "=" gives one record, in line order; keys are ignored.
QList<TextEntry> parseGroup(const QByteArray &content, const ParseErrorReporter &report);

struct GroupLoadResult
{
    enum class Status {
        Loaded,  // the file was read whole
        Missing, // there is no file: an empty group
        Failed,  // the file could not be read whole
    };
    Status status = Status::Missing;
    QList<TextEntry> entries;  // what was read; after a failure, as much as could be read
    QString setAsidePath;      // after a failure: where the original file was kept
    QString error;             // after a failure: why
};

// Loads a group file. When the read fails part-way, the original file is moved
// aside under a new name beside it, so a later save cannot drop what was not read.
GroupLoadResult loadGroupFile(const QString &path, const ParseErrorReporter &report);

// Writes the entries to tempPath and renames it over path in one step.
bool saveGroupFile(const QString &path, const QString &tempPath, const QList<TextEntry> &entries,
                   QString *error = nullptr);
