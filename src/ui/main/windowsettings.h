#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class Settings;

// The main window's geometry and list font as kept in the settings file. Sizes
// and positions are stored in twips, 15 to a logical pixel.
namespace WindowSettings {

inline constexpr int kTwipsPerPixel = 15;

int twipsToPixels(double twips);
qint64 pixelsToTwips(int pixels);

struct Placement
{
    QSize size;
    std::optional<QPoint> position; // none: the window system places the window
};

// Where the window opens. A stored value of 0 or an empty one counts as not
// stored; without a stored width the window opens firstRunWidth wide at its
// design height. The size is cut to the screen, a negative top or left moved to
// the screen's edge; a window beyond the right or bottom edge is left there.
Placement startPlacement(const Settings &settings, const QSize &designSize, int firstRunWidth,
                         const QRect &screen);

// Writes WindowState (0 normal, 1 minimized, 2 maximized), then the normal
// geometry (so a minimized or maximized window reopens at its normal place),
// then whether "Always on Top" was ticked.
void saveGeometry(const Settings &settings, Qt::WindowStates state, const QRect &normalGeometry,
                  bool topPos);

// Courier New 9 pt, or the system's fixed-pitch font at 9 pt where that family
// is missing, so the list keeps its columns.
QFont defaultListFont();

// The stored list font; the fallback whole when FontName is empty, and the
// fallback's size when the stored size is unusable.
QFont listFont(const Settings &settings, const QFont &fallback);
void saveListFont(const Settings &settings, const QFont &font);

} // namespace WindowSettings
