#pragma once

#include "settings/settingskeys.h"

#include <QKeySequence>
#include <QString>

#include <optional>

// "Setup"/"HotKey", the desktop-wide key that brings the window up, kept in the
// portable form "Ctrl+Alt+V". A file without the key gets the default; a blank
// value turns the key off.
struct HotKeySetting
{
    static constexpr QStringView kDefault = u"Ctrl+Alt+V";

    QKeySequence key; // empty when off or unreadable
    QString stored;   // the value as found, for messages
    bool readable = true;

    static HotKeySetting read(const Settings &settings);
    static void write(Settings::Batch &batch, const QKeySequence &key);
    // A value as the file holds it: nullopt when it names no key.
    static std::optional<QKeySequence> parse(QStringView value);
};
