#include "platform/session.h"

#include <QCoreApplication>

namespace {
constexpr char kPlatformVariable[] = "QT_QPA_PLATFORM";

void forgetPlatformChoice()
{
    qunsetenv(kPlatformVariable);
}
} // namespace

SessionEnvironment SessionEnvironment::current()
{
    return {qgetenv(kPlatformVariable), qgetenv("WAYLAND_DISPLAY"), qgetenv("XDG_SESSION_TYPE"),
            qgetenv("DISPLAY")};
}

QByteArray preferredPlatform(const SessionEnvironment &env)
{
    if (!env.qpaPlatform.isEmpty() || env.display.isEmpty()) {
        return {};
    }
    const bool wayland = !env.waylandDisplay.isEmpty() || env.sessionType == "wayland";
    return wayland ? QByteArrayLiteral("xcb;wayland") : QByteArray();
}

void preferXcbUnderWayland()
{
    const QByteArray platform = preferredPlatform(SessionEnvironment::current());
    if (platform.isEmpty()) {
        return;
    }
    qputenv(kPlatformVariable, platform);
    // Pre-routines run when the application object is made, after the platform
    // plugin is loaded.
    qAddPreRoutine(forgetPlatformChoice);
}
