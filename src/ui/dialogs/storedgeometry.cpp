#include "ui/dialogs/storedgeometry.h"

#include "platform/twips.h"
#include "settings/number.h"

std::optional<qint64> storedPixels(QStringView value)
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
    const auto positive = [](std::optional<qint64> size) {
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

void addStoredGeometry(Settings::Batch &batch, const GeometryKeys &keys, QPoint framePos,
                       QSize clientSize)
{
    batch.setValue(keys.width, Twips::fromPixels(clientSize.width()))
        .setValue(keys.height, Twips::fromPixels(clientSize.height()))
        .setValue(keys.top, Twips::fromPixels(framePos.y()))
        .setValue(keys.left, Twips::fromPixels(framePos.x()));
}

bool writeStoredGeometry(const Settings &settings, const GeometryKeys &keys, QPoint framePos,
                         QSize clientSize)
{
    Settings::Batch batch(settings);
    addStoredGeometry(batch, keys, framePos, clientSize);
    return batch.commit();
}

Screens::WideRect applyStoredGeometry(Screens::WideRect window, const StoredGeometry &stored)
{
    if (!stored.isStored())
        return window;
    window.width = *stored.width;
    if (stored.height)
        window.height = *stored.height;
    if (stored.top)
        window.y = *stored.top;
    if (stored.left)
        window.x = *stored.left;
    return window;
}
