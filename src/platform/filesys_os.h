#pragma once

// The few file operations that differ between operating systems; filesys.cpp
// builds everything else on them. One source file per system implements them
// (filesys_posix.cpp, filesys_win.cpp), chosen by the build.

#include <QByteArray>
#include <QString>

namespace FileSysOs {

enum class CreateResult
{
    Written,
    NameTaken, // something of that name, a link included, is already there
    Failed,
};

// Creates path as a new file readable by the user alone (never opening an
// existing file or following a link), writes data and flushes it to disk. On
// failure nothing of that name is left behind by this call.
CreateResult writeNewFile(const QString &path, const QByteArray &data, QString *error);

// Renames from over to in one step, replacing to.
bool replaceByRename(const QString &from, const QString &to, QString *error);

// Makes a finished rename durable where the system needs the folder flushed
// for that; nothing elsewhere.
void syncFolderOf(const QString &path);

// Creates one folder readable by the user alone. On failure *alreadyExists
// tells whether the name was taken (by anything, perhaps by another copy).
bool makeFolder(const QString &path, bool *alreadyExists, QString *error);

// Removes a file (not a folder); quiet when there is none.
void removeFile(const QString &path);

} // namespace FileSysOs
