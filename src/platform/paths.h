#pragma once

#include <QString>

// Where everything the program keeps lives. The per-user base is Qt's generic
// data location ($XDG_DATA_HOME, by default ~/.local/share, on Linux); below it
// "Orvendel Software/Pastebasket" with "data" and "temp".
struct AppPaths
{
    QString userFolder; // <base>/Orvendel Software/Pastebasket
    QString dataFolder; // userFolder/data: Management.dat and group<N>.dat
    QString tempFolder; // userFolder/temp: made at start, no longer written to
    QString iniFile;    // userFolder/Pastebasket.ini
    QString rexFile;    // userFolder/Pastebasket.rex, the re-execute marker

    // All paths for a given user folder.
    static AppPaths forUserFolder(const QString &userFolder);

    // The platform's per-user data folder, "" when it cannot be had.
    static QString platformBaseFolder();

    QString groupFile(qint32 groupNo) const; // dataFolder/group<N>.dat
    QString registryFile() const;            // dataFolder/Management.dat

    // The data file of group groupNo in a data folder: <dataFolder>/group<N>.dat.
    static QString groupFileIn(const QString &dataFolder, qint32 groupNo);
};
