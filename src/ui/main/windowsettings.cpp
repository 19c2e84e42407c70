#include "ui/main/windowsettings.h"

#include "settings/number.h"
#include "settings/settingskeys.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/storedgeometry.h"

#include <algorithm>
#include <cmath>

namespace WindowSettings {

Placement startPlacement(const Settings &settings, const QSize &designSize, int firstRunWidth,
                         const QList<QRect> &screenAreas)
{
    const StoredGeometry stored = readStoredGeometry(settings, kMainWindowGeometry);
    Screens::WideRect wanted{0, 0, firstRunWidth, designSize.height()};
    if (stored.isStored()) {
        wanted.width = designSize.width();
        wanted = applyStoredGeometry(wanted, stored);
    }
    // The window system places a window with neither top nor left stored: only
    // its size is fitted, to the primary screen.
    const bool placed = stored.top || stored.left;
    const QList<QRect> areas = placed ? screenAreas : screenAreas.mid(0, 1);
    const QRect window = Screens::keepOnScreens(wanted, areas);
    if (!placed)
        return Placement{window.size(), std::nullopt};
    return Placement{window.size(), window.topLeft()};
}

void addGeometry(Settings::Batch &batch, Qt::WindowStates state, QPoint framePos, QSize clientSize,
                 bool topPos)
{
    int stateNumber = 0;
    if (state & Qt::WindowMinimized)
        stateNumber = 1;
    else if (state & Qt::WindowMaximized)
        stateNumber = 2;
    batch.setValue(Setting::WindowState, stateNumber);
    addStoredGeometry(batch, kMainWindowGeometry, framePos, clientSize);
    batch.setFlag(Setting::WindowTopPos, topPos);
}

QFont defaultListFont()
{
    return DialogSupport::listFont(9);
}

QFont listFont(const Settings &settings, const QFont &fallback)
{
    const QString name = trimBlanks(settings.value(Setting::FontName));
    if (name.isEmpty())
        return fallback;
    QFont font = fallback;
    font.setFamily(settings.value(Setting::FontName));
    font.setBold(settings.number(Setting::FontBold) != 0);
    font.setItalic(settings.number(Setting::FontItalic) != 0);
    const double size = settings.number(Setting::FontSize);
    // A missing or absurd size keeps the fallback's, so the list stays readable.
    if (std::isfinite(size) && size >= 1 && size <= 400)
        font.setPointSizeF(size);
    return font;
}

void addListFont(Settings::Batch &batch, const QFont &font)
{
    batch.setValue(Setting::FontName, font.family())
        .setFlag(Setting::FontBold, font.bold())
        .setFlag(Setting::FontItalic, font.italic());
    if (font.pointSizeF() > 0)
        batch.setValue(Setting::FontSize, roundHalfEven(font.pointSizeF()));
}

} // namespace WindowSettings
