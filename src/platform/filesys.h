#pragma once

#include <QByteArray>
#include <QString>

// File helpers shared by every writer of the program's files. Clipboard history
// holds passwords and private texts, so everything is created for the user alone.

// Writes data to a new, uniquely named temporary file beside target (created
// 0600, exclusively and without following a link, then flushed to disk) and
// renames it over target in one step, so a reader or a crash sees either the old
// or the new file, never a mix, and several processes writing the same file at
// once cannot spoil each other's temporary file. Being in target's own folder,
// the rename never crosses file systems. On failure target is untouched and the
// temporary file removed; the reason goes to *error.
bool writeFileAtomically(const QString &target, const QByteArray &data, QString *error = nullptr);

// Creates the folder (not its parents) readable by the user alone; true when it
// exists as a folder afterwards. *created tells whether this call made it, so
// that of several copies racing to create it exactly one sees true.
bool makePrivateFolder(const QString &path, QString *error = nullptr, bool *created = nullptr);

// Removes the temporary files that writes of files matching namePattern (a
// wildcard such as "*.dat") left in folder when the program was killed during
// them; only names exactly as writeFileAtomically makes them. Call it only
// while no other process can be writing those files. Returns how many went.
int removeLeftoverTempFiles(const QString &folder, const QString &namePattern);

// As makePrivateFolder, creating the missing parents as well (each one private).
bool makePrivateFolderPath(const QString &path, QString *error = nullptr);

// Reads the whole file; false when it cannot be opened or read.
bool readWholeFile(const QString &path, QByteArray *data, QString *error = nullptr);
