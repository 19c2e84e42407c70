#include "ui/dialogs/twips.h"

#include "settings/number.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <limits>

int Twips::toPixels(double twips)
{
    const double pixels = std::round(twips / kPerPixel);
    if (std::isnan(pixels))
        return 0;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(pixels, lowest, highest));
}

std::optional<int> storedPixels(QStringView value)
{
    if (isBlank(value))
        return std::nullopt;
    const double twips = leadingNumber(value);
    if (twips == 0)
        return std::nullopt;
    return Twips::toPixels(twips);
}

StoredGeometry parseStoredGeometry(QStringView width, QStringView height, QStringView top,
                                   QStringView left)
{
    const auto positive = [](std::optional<int> size) {
        return size && *size > 0 ? size : std::nullopt;
    };
    StoredGeometry stored;
    stored.width = positive(storedPixels(width));
    if (!stored.width)
        return stored;
    stored.height = positive(storedPixels(height));
    stored.top = storedPixels(top);
    stored.left = storedPixels(left);
    return stored;
}

StoredGeometry readStoredGeometry(const Settings &settings, const GeometryKeys &keys)
{
    return parseStoredGeometry(settings.value(keys.width), settings.value(keys.height),
                               settings.value(keys.top), settings.value(keys.left));
}

bool writeStoredGeometry(const Settings &settings, const GeometryKeys &keys, QPoint topLeft,
                         QSize size)
{
    return Settings::Batch(settings)
        .setValue(keys.width, Twips::fromPixels(size.width()))
        .setValue(keys.height, Twips::fromPixels(size.height()))
        .setValue(keys.top, Twips::fromPixels(topLeft.y()))
        .setValue(keys.left, Twips::fromPixels(topLeft.x()))
        .commit();
}

QRect applyStoredGeometry(QRect window, const StoredGeometry &stored)
{
    if (!stored.isStored())
        return window;
    window.setWidth(*stored.width);
    if (stored.height)
        window.setHeight(*stored.height);
    if (stored.top)
        window.moveTop(*stored.top);
    if (stored.left)
        window.moveLeft(*stored.left);
    return window;
}

QRect clampToScreen(QRect window, QSize screen)
{
    if (window.width() > screen.width())
        window.setWidth(screen.width());
    if (window.height() > screen.height())
        window.setHeight(screen.height());
    if (window.top() < 0)
        window.moveTop(0);
    if (window.left() < 0)
        window.moveLeft(0);
    return window;
}

QSize primaryScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(640, 480);
}
