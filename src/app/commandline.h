#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The questions the program answers by itself, before it opens a display, takes
// the one-copy lock or looks at the data folder: "--version" and "--help" (or
// "-h") as the first argument. The answer is the text for standard output; any
// other command line is nullopt and goes on to the start-up as it is.
std::optional<QString> commandLineAnswer(const QStringList &arguments);
