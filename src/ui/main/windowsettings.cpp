#include "ui/main/windowsettings.h"

#include "settings/number.h"
#include "settings/settingskeys.h"

#include <QFontDatabase>

#include <algorithm>
#include <cmath>

namespace WindowSettings {

int twipsToPixels(double twips)
{
    const double px = std::round(twips / kTwipsPerPixel);
    return static_cast<int>(std::clamp(px, -1.0e6, 1.0e6));
}

qint64 pixelsToTwips(int pixels)
{
    return static_cast<qint64>(pixels) * kTwipsPerPixel;
}

namespace {

// The stored number of twips, or nullopt when the value is empty or 0.
std::optional<double> storedTwips(const Settings &settings, const SettingKey &key)
{
    const QString value = settings.value(key);
    if (trimBlanks(value).isEmpty())
        return std::nullopt;
    const double n = leadingNumber(value);
    if (n == 0 || !std::isfinite(n))
        return std::nullopt;
    return n;
}

} // namespace

Placement startPlacement(const Settings &settings, const QSize &designSize, int firstRunWidth,
                         const QRect &screen)
{
    Placement p{designSize, std::nullopt};
    if (const auto width = storedTwips(settings, Setting::Width)) {
        p.size.setWidth(twipsToPixels(*width));
        if (const auto height = storedTwips(settings, Setting::Height))
            p.size.setHeight(twipsToPixels(*height));
        const auto top = storedTwips(settings, Setting::Top);
        const auto left = storedTwips(settings, Setting::Left);
        if (top || left) {
            // Only one of them stored: the other keeps the window system's default,
            // which is the screen's corner for a window not yet shown.
            p.position = QPoint(left ? twipsToPixels(*left) : screen.left(),
                                top ? twipsToPixels(*top) : screen.top());
        }
    } else {
        p.size.setWidth(firstRunWidth);
    }

    p.size.setWidth(std::max(1, std::min(p.size.width(), screen.width())));
    p.size.setHeight(std::max(1, std::min(p.size.height(), screen.height())));
    if (p.position) {
        p.position->setX(std::max(p.position->x(), screen.left()));
        p.position->setY(std::max(p.position->y(), screen.top()));
    }
    return p;
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
    settings.setValue(Setting::Width, pixelsToTwips(normalGeometry.width()));
    settings.setValue(Setting::Height, pixelsToTwips(normalGeometry.height()));
    settings.setValue(Setting::Top, pixelsToTwips(normalGeometry.top()));
    settings.setValue(Setting::Left, pixelsToTwips(normalGeometry.left()));
    settings.setFlag(Setting::WindowTopPos, topPos);
}

QFont defaultListFont()
{
    const QString family = QStringLiteral("Courier New");
    if (QFontDatabase::hasFamily(family))
        return QFont(family, 9);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    return font;
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
