#pragma once

#include "settings/settingskeys.h"

#include <QFont>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// The main window's geometry and list font as kept in the settings file. The
// geometry is the size of the client area and the place of the frame, as
// resize() and move() take them (see StoredGeometry).
namespace WindowSettings {

struct Placement
{
    QSize size;
    std::optional<QPoint> position; // none: the window system places the window
};

// Where the window opens. A stored value of 0 or an empty one counts as not
// stored; without a stored width the window opens firstRunWidth wide at its
// design height. The window is kept on one of the screens' available areas
// (the primary's first): cut to its size and moved wholly inside it, so a place
// on a monitor that has gone, or any number in the file, cannot lose it.
Placement startPlacement(const Settings &settings, const QSize &designSize, int firstRunWidth,
                         const QList<QRect> &screenAreas);

// Adds WindowState (0 normal, 1 minimized, 2 maximized), the normal geometry
// (so a minimized or maximized window reopens at its normal place) as its
// frame's top-left corner and its client size, and whether "Always on Top" was
// ticked, to be written with the batch's other values.
void addGeometry(Settings::Batch &batch, Qt::WindowStates state, QPoint framePos, QSize clientSize,
                 bool topPos);

// Courier New 9 pt, or the system's fixed-pitch font at 9 pt where that family
// is missing, so the list keeps its columns.
QFont defaultListFont();

// The stored list font; the fallback whole when FontName is empty, and the
// fallback's size when the stored size is unusable.
QFont listFont(const Settings &settings, const QFont &fallback);
// Adds the list's font to the batch.
void addListFont(Settings::Batch &batch, const QFont &font);

} // namespace WindowSettings
