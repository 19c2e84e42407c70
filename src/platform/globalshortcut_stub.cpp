#include "platform/globalshortcut.h"

// No desktop-wide key on this system yet: the program runs without one and says so.
std::unique_ptr<GlobalShortcut> createGlobalShortcut()
{
    return std::make_unique<UnsupportedGlobalShortcut>(
        QStringLiteral("Global shortcuts are not available on this system."));
}
