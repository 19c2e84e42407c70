#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class Settings;

// The main window's geometry and list font as kept in the settings file. The
// geometry is the client area's, as QWidget::setGeometry() and normalGeometry()
// have it, so a maximized window's normal place can be kept.
namespace WindowSettings {

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
                         const QSize &screen);

// Writes WindowState (0 normal, 1 minimized, 2 maximized), then the normal
// geometry (so a minimized or maximized window reopens at its normal place),
// then whether "Always on Top" was ticked. False when a value was not written.
bool saveGeometry(const Settings &settings, Qt::WindowStates state, const QRect &normalGeometry,
                  bool topPos);

// Courier New 9 pt, or the system's fixed-pitch font at 9 pt where that family
// is missing, so the list keeps its columns.
QFont defaultListFont();

// The stored list font; the fallback whole when FontName is empty, and the
// fallback's size when the stored size is unusable.
QFont listFont(const Settings &settings, const QFont &fallback);
// False when a value was not written.
bool saveListFont(const Settings &settings, const QFont &font);

} // namespace WindowSettings
