#pragma once

#include "settings/settingskeys.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringView>

#include <optional>

// Window geometry is kept in twips, 15 to a logical pixel.
namespace Twips {
inline constexpr int kPerPixel = 15;

constexpr qint64 fromPixels(int pixels)
{
    return qint64(pixels) * kPerPixel;
}
// The nearest whole pixel, clamped to the int range.
int toPixels(double twips);
} // namespace Twips

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

// A stored geometry in logical pixels. A value that is blank or whose number is 0
// counts as not stored, and without a usable width none of the four is used.
// The size is the client area's, the place the frame's top-left corner, the
// same pair QWidget::resize() and move() take, so a window comes back as it was.
struct StoredGeometry
{
    std::optional<int> width;
    std::optional<int> height;
    std::optional<int> top;
    std::optional<int> left;

    bool isStored() const { return width.has_value(); }
};

// One stored size or position in pixels; nullopt when the value is blank or its number is 0.
std::optional<int> storedPixels(QStringView value);

// Sizes that are not positive cannot be applied and count as not stored.
StoredGeometry parseStoredGeometry(QStringView width, QStringView height, QStringView top,
                                   QStringView left);
StoredGeometry readStoredGeometry(const Settings &settings, const GeometryKeys &keys);

// Writes the four values as whole twips; false when a write failed.
bool writeStoredGeometry(const Settings &settings, const GeometryKeys &keys, QPoint topLeft,
                         QSize size);

// `window` with the stored parts put in place of its own.
QRect applyStoredGeometry(QRect window, const StoredGeometry &stored);

// A window no larger than the screen and not above or left of its origin. A window
// beyond the right or bottom edge is left where it is.
QRect clampToScreen(QRect window, QSize screen);

// The whole primary screen (taskbars and panels included), in logical pixels.
QSize primaryScreenSize();
