#pragma once

#include "platform/paths.h"
#include "ui/main/maincontroller.h"
#include "ui/main/popupmenu.h"
#include "ui/main/traymenu.h"

#include <QIcon>
#include <QWidget>

#include <functional>
#include <memory>

class ClipboardAccess;
class ListCommands;
class Prompter;
class QCheckBox;
class QComboBox;
class QLabel;
class QListView;
class QPushButton;
class QTimer;
class TrayIcon;

// frmMain: the program's one window. It shows the current group's texts, feeds
// them from the clipboard on its timer, stands in the tray while hidden and
// saves everything when it unloads.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // What the window takes from the desktop; tests replace the parts they must.
    struct Environment
    {
        QIcon icon;
        std::function<bool()> trayAvailable; // default: the desktop's answer
        UrlOpener openUrl;                   // default: the desktop's opener
        QString programFolder;               // default: the executable's folder
    };

    // With no prompter the window shows real dialogs of its own.
    MainWindow(const AppPaths &paths, ClipboardAccess &clipboard, Prompter *prompter = nullptr,
               Environment environment = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    MainController &controller() { return *m_controller; }

    // Everything between the splash and the shown window: settings, geometry,
    // font, the groups, the current group's texts, the timer and the tray icon.
    // finishSplash runs last, when the window is ready to be shown.
    void load(const std::function<void()> &finishSplash = {});
    // Shows the window as "StartupState" asks: normally, minimized, or not at
    // all while it lives in the tray.
    void showAtStart();

    // Brings the window back: restored and shown when hidden or minimized, else raised.
    void showWindow();
    // The exit commands and the end of the session: the unload sequence, then the
    // window closes and unloaded() is emitted.
    void exitApp();
    // Stops the timer and saves geometry, font, group and settings; removes the
    // tray icon. Runs once.
    void unload();

    bool isTrayIconShown() const;
    void addTrayIcon();
    void removeTrayIcon();
    QMenu *trayMenu() const;
    QMenu *popupMenu() const { return m_popup.menu; }

    // The popup menu of the "Menu" label, at a global position.
    void openPopupMenu(const QPoint &globalPos);
    void chooseListFont();
    void openSetup();

signals:
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QWidget *buildTopStrip();
    QWidget *buildBottomStrip();
    QPushButton *addButton(QWidget *parent, const QString &name, const QString &caption,
                           const QString &toolTip);
    void connectControls();
    void applyStartPlacement();
    void applyTopPos();
    void refreshListState(); // counter, then buttons
    void refreshButtons();
    void updateMinimumSize();
    void rebuildTrayMenu();
    bool topMost() const;

    // Declared before the controller, which keeps a reference to the prompter.
    std::unique_ptr<Prompter> m_ownPrompter;
    Prompter *m_prompter;
    Environment m_env;
    std::unique_ptr<MainController> m_controller;
    std::unique_ptr<ListCommands> m_listCommands;

    QWidget *picTop = nullptr;
    QCheckBox *chkTopPos = nullptr;
    QCheckBox *chkAutoGet = nullptr;
    QLabel *lblMenu = nullptr;
    QLabel *lblListCounter = nullptr;
    QComboBox *cobGroup = nullptr;
    QListView *lstText = nullptr;
    QWidget *m_listViewport = nullptr; // watched for clicks
    QWidget *picBottom = nullptr;
    QPushButton *btnProtect = nullptr;
    QPushButton *btnNamed = nullptr;
    QPushButton *btnEdit = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnClear = nullptr;
    QPushButton *btnUp = nullptr;
    QPushButton *btnDown = nullptr;
    QTimer *timMain = nullptr;
    TrayIcon *m_tray = nullptr;
    PopupMenu m_popup;
    QList<TrayMenu::TextItem> m_trayItems; // behind the tray menu's text items, as last built

    bool m_cobGroupReady = false;
    bool m_unloaded = false;
};
