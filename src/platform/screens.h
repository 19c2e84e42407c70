#pragma once

#include <QList>
#include <QRect>
#include <QSize>

class QWidget;

// The screens a window can be placed on. Everything else asks here, so the
// desktop's screens are looked at in one place.
namespace Screens {

// A window's wanted place and size in logical pixels, wide enough for any value
// read from a settings file.
struct WideRect
{
    qint64 x = 0;
    qint64 y = 0;
    qint64 width = 0;
    qint64 height = 0;
};

// The available area (without panels and task bars) of every screen, the
// primary screen first; empty without a screen.
QList<QRect> availableAreas();
// The available area of the screen a widget is on, else of the primary screen;
// an empty rectangle without a screen.
QRect availableArea(const QWidget *widget);
// The whole primary screen, panels included; 640 x 480 without a screen.
QSize primarySize();

// Where a window of that geometry opens: on the screen area it overlaps most (the
// nearest one when it overlaps none), no larger than that area and wholly inside
// it. A window from a monitor that is gone thus comes back onto one that is
// there. Without areas the geometry is only brought into range.
QRect keepOnScreens(const WideRect &window, const QList<QRect> &areas);

} // namespace Screens
