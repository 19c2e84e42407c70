#include "platform/urlopener.h"

#include <QDesktopServices>
#include <QUrl>

bool openWithDesktop(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}
