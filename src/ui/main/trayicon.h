#pragma once

#include <QIcon>
#include <QObject>
#include <QStringList>

#include <functional>

class QMenu;
class SystemTray;
class QWidget;

// The icon in the desktop's notification area that stands in for the window, and
// its menu mnuTaskTray. The menu is rebuilt each time it opens: the owner answers
// menuAboutToShow by calling rebuildMenu() with the captions of the recent texts.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    // available tells whether the desktop has a notification area right now.
    TrayIcon(const QIcon &icon, std::function<bool()> available, QWidget *menuOwner);
    ~TrayIcon() override;

    // True while the icon is shown. Without a notification area nothing is shown,
    // so the window is not hidden where nothing could bring it back.
    bool isActive() const { return m_active; }
    void add();
    void remove();

    // A passing notice beside the icon; false when the icon is not shown or the
    // desktop shows no such notices.
    bool showNotice(const QString &title, const QString &text);

    QMenu *menu() const { return m_menu; }
    // "&Open", "E&xit" and, when there are recent texts, "&Clear the List below"
    // and one item per caption, oldest text first.
    void rebuildMenu(const QStringList &textCaptions);

signals:
    void menuAboutToShow();
    void openRequested(); // a left click on the icon, or "&Open"
    void exitRequested();
    void clearListRequested();
    void textChosen(int index);

private:
    std::function<bool()> m_available;
    QIcon m_icon;
    QMenu *m_menu;
    SystemTray *m_trayIcon = nullptr;
    bool m_active = false;
};
