#pragma once

#include <QByteArray>
#include <QString>

// File helpers shared by every writer of the program's files. Clipboard history
// holds passwords and private texts, so everything is created for the user alone.

// Writes data to tempPath (created 0600, flushed to disk), then renames it over
// target in one step, so a reader or a crash sees either the old or the new file,
// never a mix. tempPath must be on the same file system as target. On failure the
// target is untouched and the temporary file removed; the reason goes to *error.
bool replaceFileAtomically(const QString &target, const QByteArray &data, const QString &tempPath,
                           QString *error = nullptr);

// As above with a uniquely named temporary file beside target, so that several
// processes writing the same file at once cannot spoil each other's temporary file.
bool writeFileAtomically(const QString &target, const QByteArray &data, QString *error = nullptr);

// Creates the folder (not its parents) readable by the user alone; true when it
// exists as a folder afterwards. *created tells whether this call made it, so
// that of several copies racing to create it exactly one sees true.
bool makePrivateFolder(const QString &path, QString *error = nullptr, bool *created = nullptr);

// As makePrivateFolder, creating the missing parents as well (each one private).
bool makePrivateFolderPath(const QString &path, QString *error = nullptr);

// Reads the whole file; false when it cannot be opened or read.
bool readWholeFile(const QString &path, QByteArray *data, QString *error = nullptr);
