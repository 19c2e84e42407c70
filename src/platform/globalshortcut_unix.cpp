#include "platform/globalshortcut.h"
#include "platform/globalshortcut_portal.h"
#include "platform/globalshortcut_x11.h"
#include "platform/shortcutlog.h"

#include <QGuiApplication>

std::unique_ptr<GlobalShortcut> createGlobalShortcut()
{
    // Under Wayland an X11 grab (through XWayland) sees the key only while an X11
    // window has the focus, so the portal comes first where it offers shortcuts.
    const bool wayland =
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    if (wayland && PortalGlobalShortcut::isOffered()) {
        qCDebug(lcShortcut) << "using the desktop portal";
        return std::make_unique<PortalGlobalShortcut>();
    }
    if (X11GlobalShortcut::isAvailable()) {
        qCDebug(lcShortcut) << "using an X11 key grab";
        return std::make_unique<X11GlobalShortcut>();
    }
    return std::make_unique<UnsupportedGlobalShortcut>(
        wayland ? QStringLiteral("This desktop lets no program have a global shortcut. Bind a "
                                 "key to the command pastebasket in the desktop's keyboard "
                                 "settings instead: it brings the running window up.")
                : QStringLiteral("The %1 display lets no program have a global shortcut.")
                      .arg(QGuiApplication::platformName()));
}
