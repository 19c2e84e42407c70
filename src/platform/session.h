#pragma once

#include <QByteArray>
#include <QStringView>

// The desktop entry the program is installed under; window systems match the
// running program to its launcher, name and icon by it.
inline constexpr QStringView kDesktopFileName = u"org.orvendel.Pastebasket";

// What the environment says about the desktop session, as far as the choice of
// the window-system connection goes.
struct SessionEnvironment
{
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM: the user's own choice, if any
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray sessionType;    // XDG_SESSION_TYPE
    QByteArray display;        // DISPLAY: an X server, under Wayland the XWayland one

    static SessionEnvironment current();
};

// The platform plugin list to ask Qt for, or "" to leave Qt its own choice.
// A Wayland session does not let a client read the clipboard while another
// program has the focus, which is the whole point of this program; an X client
// (through XWayland) may. So under Wayland with an X display at hand, X comes
// first and Wayland stays as the fallback. A choice the user made is kept.
QByteArray preferredPlatform(const SessionEnvironment &env);

// Applies preferredPlatform() to this process. Call it first thing in main(),
// before the QApplication is made. Once Qt has picked its platform the variable
// is removed again, so programs started from here (a web browser for the
// readme) make their own choice.
void preferXcbUnderWayland();
