#pragma once

#include "platform/screens.h"
#include "settings/settingskeys.h"

#include <QPoint>
#include <QSize>
#include <QStringView>

#include <optional>

// The four settings that hold one window's size and place.
struct GeometryKeys
{
    SettingKey width;
    SettingKey height;
    SettingKey top;
    SettingKey left;
};

inline constexpr GeometryKeys kMainWindowGeometry{Setting::Width, Setting::Height, Setting::Top,
                                                  Setting::Left};
inline constexpr GeometryKeys kEditTextGeometry{Setting::EditTextWidth, Setting::EditTextHeight,
                                                Setting::EditTextTop, Setting::EditTextLeft};

// A stored geometry in logical pixels, in 64 bits since the file may hold any
// number. A value that is blank or whose number is 0 counts as not stored, and
// without a usable width none of the four is used. Every window keeps the same
// pair: the size of its client area and the place of its frame's top-left
// corner, which are what QWidget::resize() and move() take and size() and pos()
// give back, so a window comes back exactly where it was, title bar or not.
struct StoredGeometry
{
    std::optional<qint64> width;
    std::optional<qint64> height;
    std::optional<qint64> top;
    std::optional<qint64> left;

    bool isStored() const { return width.has_value(); }
};

// One stored size or position in pixels; nullopt when the value is blank or its number is 0.
std::optional<qint64> storedPixels(QStringView value);

// Sizes that are not positive cannot be applied and count as not stored.
StoredGeometry parseStoredGeometry(QStringView width, QStringView height, QStringView top,
                                   QStringView left);
StoredGeometry readStoredGeometry(const Settings &settings, const GeometryKeys &keys);

// The four values as whole twips, to be written with the batch's other values.
void addStoredGeometry(Settings::Batch &batch, const GeometryKeys &keys, QPoint framePos,
                       QSize clientSize);
// Writes the four values as whole twips; false when the write failed.
bool writeStoredGeometry(const Settings &settings, const GeometryKeys &keys, QPoint framePos,
                         QSize clientSize);

// `window` with the stored parts put in place of its own.
Screens::WideRect applyStoredGeometry(Screens::WideRect window, const StoredGeometry &stored);
