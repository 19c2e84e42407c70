#include "platform/appicon.h"

#include <QString>

// The resource is compiled into a static library, where nothing would pull it
// into the executable or register it; Q_INIT_RESOURCE does both. It has to be
// used outside any namespace, and registering it twice would list it twice.
static void registerIconResource()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(pastebasket);
        return true;
    }();
    Q_UNUSED(registered);
}

QIcon appIcon()
{
    registerIconResource();
    QIcon icon;
    for (const int size : kAppIconSizes) {
        icon.addFile(QStringLiteral(":/icons/pastebasket-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
