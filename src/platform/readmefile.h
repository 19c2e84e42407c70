#pragma once

#include <QString>

// Where the user's guide "Readme.html" is for a program living in programFolder.
// A build or a portable copy keeps it beside the executable; an installed program
// finds it in the documentation folder of its prefix (bin/../share/doc/pastebasket).
// The path beside the executable is returned when neither exists, so a message
// can name it.
QString readmeFileFor(const QString &programFolder);
