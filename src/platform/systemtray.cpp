#include "platform/systemtray.h"

#include <QSystemTrayIcon>

bool SystemTray::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

SystemTray::SystemTray(const QIcon &icon, const QString &toolTip, QMenu *menu, QObject *parent)
    : QObject(parent)
    , m_icon(new QSystemTrayIcon(icon, this))
{
    m_icon->setObjectName(QStringLiteral("trayIcon"));
    m_icon->setToolTip(toolTip);
    m_icon->setContextMenu(menu);
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    emit clicked();
            });
}

void SystemTray::show()
{
    m_icon->show();
}

void SystemTray::hide()
{
    m_icon->hide();
}

bool SystemTray::showWarning(const QString &title, const QString &text)
{
    if (!QSystemTrayIcon::supportsMessages())
        return false;
    m_icon->showMessage(title, text, QSystemTrayIcon::Warning);
    return true;
}
