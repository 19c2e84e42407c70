// Bringing the window back: from a second copy, the global shortcut or the tray
// icon, and the tray icon itself.
#include "ui/main/mainwindow.h"

#include "ui/main/trayicon.h"
#include "ui/main/traymenu.h"

#include <QApplication>
#include <QWindow>

void MainWindow::showWindow()
{
    if (isVisible() && !isMinimized()) {
        raise();
        activateWindow();
        return;
    }
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::showFromShortcut()
{
    if (m_unloaded)
        return;
    if (QWidget *modal = QApplication::activeModalWidget()) {
        // A dialog is open: it is what the user comes back to.
        showWindow();
        modal->raise();
        modal->activateWindow();
        return;
    }
    if (isInFront() && isTrayIconShown()) {
        hide();
        return;
    }
    showWindow();
    openSearchForShortcut();
}

bool MainWindow::isInFront() const
{
    if (!isVisible() || isMinimized())
        return false;
    // On X11 the key's own grab takes the focus away for as long as it is held,
    // and a window hidden and shown again quickly can have the focus without
    // being counted active: the window that has the focus is in front all the same.
    return isActiveWindow() || (windowHandle() && QGuiApplication::focusWindow() == windowHandle());
}

void MainWindow::openSearchForShortcut()
{
    // Whoever calls the window up from elsewhere is looking for a text.
    openSearch();
}

bool MainWindow::isTrayIconShown() const
{
    return m_tray->isActive();
}

void MainWindow::addTrayIcon()
{
    m_tray->add();
}

void MainWindow::removeTrayIcon()
{
    m_tray->remove();
}

QMenu *MainWindow::trayMenu() const
{
    return m_tray->menu();
}

void MainWindow::rebuildTrayMenu()
{
    m_trayItems = TrayMenu::textItems(m_controller->monitor().history());
    QStringList captions;
    for (const TrayMenu::TextItem &item : std::as_const(m_trayItems))
        captions.append(item.caption);
    m_tray->rebuildMenu(captions);
}
