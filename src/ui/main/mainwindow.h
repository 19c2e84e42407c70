#pragma once

#include "platform/paths.h"
#include "ui/main/maincontroller.h"
#include "ui/main/popupmenu.h"
#include "ui/main/savefailure.h"
#include "ui/main/traymenu.h"

#include <QIcon>
#include <QWidget>

#include <functional>
#include <memory>

class CaptureScheduler;
class ClipboardAccess;
class FilteredList;
class GlobalShortcut;
class HotKeyBinding;
class ListCommands;
class Prompter;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QListView;
class QPushButton;
class SearchField;
class TrayIcon;

// frmMain: the program's one window. It shows the current group's texts, feeds
// them from the clipboard as it changes, stands in the tray while hidden and
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
        // The desktop-wide key; default: the desktop's own (createGlobalShortcut).
        std::function<std::unique_ptr<GlobalShortcut>()> makeGlobalShortcut;
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
    // The global shortcut was pressed: the window comes up in front with the
    // keyboard ready for a search; when it already is in front and the tray icon
    // can bring it back, it goes away again.
    void showFromShortcut();
    const HotKeyBinding &hotKey() const { return *m_hotKey; }
    // Who asked the program to end: the user (the exit commands, closing the
    // window without a tray icon), or the system (a signal, the end of the
    // session), which will not wait for a failed save to be mended.
    enum class ExitCause
    {
        User,
        System,
    };

    // The unload sequence, then the window closes and unloaded() is emitted.
    // False when a user's exit was refused because the texts could not be saved.
    bool exitApp(ExitCause cause = ExitCause::User);
    // Stops the timer and saves geometry, font, group and settings; removes the
    // tray icon. Runs once. When the group cannot be saved, a user's exit is
    // refused with a message (the window runs on, its texts in memory), and a
    // system exit goes ahead after writing the texts to a recovery file beside
    // the group file; either way the failure is told. False when refused.
    bool unload(ExitCause cause = ExitCause::System);
    // The session manager's request to save before a logout that may still be
    // cancelled: everything is saved as at exit, and the program runs on.
    void commitData();
    // An exit by the system whose saves failed: the program should end with a
    // failure status.
    bool exitSaveFailed() const { return m_exitSaveFailed; }

    bool isTrayIconShown() const;
    void addTrayIcon();
    void removeTrayIcon();
    QMenu *trayMenu() const;
    QMenu *popupMenu() const { return m_popup.menu; }

    // The popup menu of the "Menu" label, at a global position.
    void openPopupMenu(const QPoint &globalPos);
    // The same menu under the label, as the keyboard opens it.
    void openPopupMenuUnderLabel();

    // The search field above the list: opened with what was typed on the list
    // (or empty, by Ctrl+F); closing it shows the whole list again.
    void openSearch(const QString &typed = {});
    void closeSearch();
    bool isFiltering() const;
    void chooseListFont();
    void openSetup();

signals:
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The design client size, in pixels (twips / 15).
    static constexpr QSize kDesignClientSize{210, 288};
    // The window is at least this much wider than the button strip.
    static constexpr int kExtraWidth = 4;

    // mainwindowcontrols.cpp
    void buildControls();
    QWidget *buildTopStrip();
    QWidget *buildBottomStrip();
    QPushButton *addButton(QWidget *parent, const QString &name, const QString &caption,
                           const QString &toolTip);
    void setTabOrders();

    // mainwindowsearch.cpp: the search field and the keys of the list and "Menu".
    void buildSearch();
    void connectSearch();
    bool listKeyPressed(QKeyEvent *event);
    bool menuLabelKeyPressed(QKeyEvent *event);
    void copyAsClicked();

    void connectControls();
    void applyStartPlacement();
    void applyTopPos();
    void refreshListState(); // counter, then buttons
    void refreshButtons();
    void updateMinimumSize();
    void rebuildTrayMenu();
    bool topMost() const;
    QStringList saveEverything(bool *groupSaved);
    void answerSystemSaveFailure(const QStringList &failures, bool groupSaved);
    // Where the keyboard goes when the global shortcut brings the window up.
    void openSearchForShortcut();
    // Shown, not minimized, and with the keyboard: a press of the shortcut puts it away.
    bool isInFront() const;

    // Declared before the controller, which keeps a reference to the prompter.
    std::unique_ptr<Prompter> m_ownPrompter;
    Prompter *m_prompter;
    Environment m_env;
    std::unique_ptr<MainController> m_controller;
    std::unique_ptr<ListCommands> m_listCommands;
    std::unique_ptr<FilteredList> m_filtered; // what lstText shows

    QWidget *picTop = nullptr;
    QCheckBox *chkTopPos = nullptr;
    QCheckBox *chkAutoGet = nullptr;
    QLabel *lblMenu = nullptr;
    QLabel *lblListCounter = nullptr;
    QComboBox *cobGroup = nullptr;
    SearchField *txtSearch = nullptr;
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
    CaptureScheduler *m_capture = nullptr; // owns timMain
    TrayIcon *m_tray = nullptr;
    HotKeyBinding *m_hotKey = nullptr;
    PopupMenu m_popup;
    QList<TrayMenu::TextItem> m_trayItems; // behind the tray menu's text items, as last built

    bool m_cobGroupReady = false;
    bool m_unloaded = false;
    bool m_exitSaveFailed = false;
    std::unique_ptr<PeriodicSaveNotice> m_periodicNotice;
};
