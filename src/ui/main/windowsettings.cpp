#include "ui/main/windowsettings.h"

#include "settings/number.h"
#include "settings/settingskeys.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/twips.h"

#include <algorithm>
#include <cmath>

namespace WindowSettings {

Placement startPlacement(const Settings &settings, const QSize &designSize, int firstRunWidth,
                         const QSize &screen)
{
    const StoredGeometry stored = readStoredGeometry(settings, kMainWindowGeometry);
    if (!stored.isStored())
        return Placement{QSize(firstRunWidth, designSize.height()).boundedTo(screen), std::nullopt};
    const QRect window =
        clampToScreen(applyStoredGeometry(QRect(QPoint(), designSize), stored), screen);
    // With neither top nor left stored the window system places the window.
    if (!stored.top && !stored.left)
        return Placement{window.size(), std::nullopt};
    return Placement{window.size(), window.topLeft()};
}

void saveGeometry(const Settings &settings, Qt::WindowStates state, const QRect &normalGeometry,
                  bool topPos)
{
    int stateNumber = 0;
    if (state & Qt::WindowMinimized)
        stateNumber = 1;
    else if (state & Qt::WindowMaximized)
        stateNumber = 2;
    settings.setValue(Setting::WindowState, stateNumber);
    writeStoredGeometry(settings, kMainWindowGeometry, normalGeometry.topLeft(),
                        normalGeometry.size());
    settings.setFlag(Setting::WindowTopPos, topPos);
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

void saveListFont(const Settings &settings, const QFont &font)
{
    settings.setValue(Setting::FontName, font.family());
    settings.setFlag(Setting::FontBold, font.bold());
    settings.setFlag(Setting::FontItalic, font.italic());
    if (font.pointSizeF() > 0)
        settings.setValue(Setting::FontSize, roundHalfEven(font.pointSizeF()));
}

} // namespace WindowSettings
