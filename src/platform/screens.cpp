#include "platform/screens.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Screens {

namespace {

struct WideArea
{
    qint64 left;
    qint64 top;
    qint64 right; // exclusive
    qint64 bottom;
};

WideArea wide(const QRect &r)
{
    return {r.x(), r.y(), qint64(r.x()) + r.width(), qint64(r.y()) + r.height()};
}

qint64 overlap(const WideArea &a, const WideArea &b)
{
    const qint64 w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const qint64 h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    if (w <= 0 || h <= 0)
        return 0;
    // Both factors are at most 2^41 apart from a window's own size, but the
    // product of two of those would overflow: the area is compared as double.
    return static_cast<qint64>(std::min(double(w) * double(h), 9.0e18));
}

// Squared distance from a point to an area, 0 inside it; in double, as the
// coordinates may be far out.
double distance(double x, double y, const WideArea &a)
{
    const double dx = x < a.left ? a.left - x : (x > a.right ? x - a.right : 0);
    const double dy = y < a.top ? a.top - y : (y > a.bottom ? y - a.bottom : 0);
    return dx * dx + dy * dy;
}

int toInt(qint64 v)
{
    return static_cast<int>(std::clamp<qint64>(v, std::numeric_limits<int>::min() / 2,
                                               std::numeric_limits<int>::max() / 2));
}

} // namespace

QList<QRect> availableAreas()
{
    QList<QRect> areas;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary)
        areas.append(primary->availableGeometry());
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen != primary)
            areas.append(screen->availableGeometry());
    }
    return areas;
}

QRect availableArea(const QWidget *widget)
{
    const QScreen *screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QSize primarySize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(640, 480);
}

QRect keepOnScreens(const WideRect &window, const QList<QRect> &areas)
{
    const qint64 width = std::max<qint64>(window.width, 1);
    const qint64 height = std::max<qint64>(window.height, 1);
    const WideArea wanted{window.x, window.y, window.x + width, window.y + height};
    const WideArea *best = nullptr;
    QList<WideArea> usable;
    for (const QRect &area : areas) {
        if (area.width() > 0 && area.height() > 0)
            usable.append(wide(area));
    }
    qint64 bestOverlap = 0;
    for (const WideArea &area : std::as_const(usable)) {
        const qint64 o = overlap(wanted, area);
        if (o > bestOverlap) {
            bestOverlap = o;
            best = &area;
        }
    }
    if (!best) {
        const double cx = double(wanted.left) + double(width) / 2;
        const double cy = double(wanted.top) + double(height) / 2;
        double nearest = std::numeric_limits<double>::infinity();
        for (const WideArea &area : std::as_const(usable)) {
            const double d = distance(cx, cy, area);
            if (d < nearest) {
                nearest = d;
                best = &area;
            }
        }
    }
    if (!best)
        return QRect(toInt(window.x), toInt(window.y), toInt(width), toInt(height));

    const qint64 w = std::min(width, best->right - best->left);
    const qint64 h = std::min(height, best->bottom - best->top);
    const qint64 x = std::clamp(window.x, best->left, best->right - w);
    const qint64 y = std::clamp(window.y, best->top, best->bottom - h);
    return QRect(int(x), int(y), int(w), int(h));
}

} // namespace Screens
