#pragma once

#include <QObject>

class QIcon;
class QMenu;
class QSystemTrayIcon;

// One icon in the desktop's notification area, with a tooltip and a context
// menu. The program's window code talks to this class only, so the desktop's
// own tray interface is named in the platform layer alone.
class SystemTray : public QObject
{
    Q_OBJECT

public:
    // Whether the desktop has a notification area right now.
    static bool isAvailable();

    // The menu stays the caller's; the icon is not shown yet.
    SystemTray(const QIcon &icon, const QString &toolTip, QMenu *menu, QObject *parent);

    void show();
    void hide();
    // A warning balloon beside the icon; false where the desktop shows none.
    bool showWarning(const QString &title, const QString &text);

signals:
    void clicked(); // a plain left click on the icon (not the menu's button)

private:
    QSystemTrayIcon *m_icon;
};
