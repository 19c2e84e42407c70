#include "ui/main/mainwindow.h"

#include "capture/capturescheduler.h"
#include "platform/appicon.h"
#include "platform/appinfo.h"
#include "platform/clipboard.h"
#include "platform/globalshortcut.h"
#include "platform/readmefile.h"
#include "platform/screens.h"
#include "platform/systemtray.h"
#include "platform/urlopener.h"
#include "settings/settingskeys.h"
#include "store/textentry.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/groups/groupselectormodel.h"
#include "ui/main/filteredlist.h"
#include "ui/main/hotkeybinding.h"
#include "ui/main/layoutlog.h"
#include "ui/main/listcommands.h"
#include "ui/main/trayicon.h"
#include "ui/main/widgetprompter.h"
#include "ui/main/windowsettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace {

MainWindow::Environment completed(MainWindow::Environment env)
{
    if (env.icon.isNull())
        env.icon = appIcon();
    if (!env.trayAvailable)
        env.trayAvailable = &SystemTray::isAvailable;
    if (!env.openUrl)
        env.openUrl = &openWithDesktop;
    if (env.programFolder.isEmpty())
        env.programFolder = QCoreApplication::applicationDirPath();
    if (!env.makeGlobalShortcut)
        env.makeGlobalShortcut = [] { return createGlobalShortcut(); };
    return env;
}

} // namespace

MainWindow::MainWindow(const AppPaths &paths, ClipboardAccess &clipboard, Prompter *prompter,
                       Environment environment, QWidget *parent)
    : QWidget(parent)
    , m_env(completed(std::move(environment)))
{
    if (!prompter) {
        m_ownPrompter =
            std::make_unique<WidgetPrompter>(this, paths, clipboard, [this] { return topMost(); });
        prompter = m_ownPrompter.get();
    }
    m_prompter = prompter;
    m_controller = std::make_unique<MainController>(paths, clipboard, *m_prompter,
                                                    MainController::Hooks{
                                                        [this] { refreshListState(); },
                                                        [this] { refreshButtons(); },
                                                        [this] { showWindow(); },
                                                        [this] { m_capture->stop(); },
                                                        [this] { m_capture->start(); },
                                                        [this] { m_capture->restartSaveCount(); },
                                                        [this](bool saved) {
                                                            if (saved)
                                                                m_periodicNotice->saved();
                                                            else
                                                                m_periodicNotice->failed(
                                                                    m_controller->lastSaveError());
                                                        },
                                                    });
    // A failing periodic save is told beside the tray icon when there is one,
    // else in one message: either way once per run of failures.
    m_periodicNotice =
        std::make_unique<PeriodicSaveNotice>([this](const QString &title, const QString &text) {
            if (!m_tray->showNotice(title, text))
                m_prompter->message(text, title, Prompter::Buttons::Ok);
        });
    m_listCommands = std::make_unique<ListCommands>(
        m_controller->model(), m_controller->selection(), clipboard, *m_prompter,
        m_controller->settings(),
        ListCommands::Hooks{
            [this] { refreshListState(); },
            [this] { return lstText->font(); },
            [this] { return m_controller->monitor().lastClipText(); },
            [this](const QString &text) { m_controller->monitor().setLastClipText(text); },
        });

    m_filtered = std::make_unique<FilteredList>(m_controller->model(), m_controller->selection());

    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppInfo::kName.toString());
    setWindowIcon(m_env.icon);
    MainController &c = *m_controller;
    m_capture = new CaptureScheduler(c.monitor(), c.clipboard(), c.model(), c.paths().rexFile,
                                     CaptureScheduler::Hooks{[&c] { c.periodicSave(); }}, this);
    m_tray = new TrayIcon(m_env.icon, m_env.trayAvailable, this);
    m_popup = PopupMenu::build(this);
    buildControls();
    m_hotKey =
        new HotKeyBinding(m_env.makeGlobalShortcut(), m_controller->settings(), *m_prompter, this);
    connectControls();
    connectSearch();
    new LayoutLog(this, lstText, {QStringLiteral("cobGroup"), QStringLiteral("lblMenu")});
}

MainWindow::~MainWindow()
{
    // The list view refers to the controller's model and selection: it goes first.
    m_listViewport->removeEventFilter(this);
    m_listViewport = nullptr;
    delete lstText;
    lstText = nullptr;
}

void MainWindow::connectControls()
{
    connect(chkAutoGet, &QCheckBox::toggled, m_capture, &CaptureScheduler::setAutoGet);
    connect(chkTopPos, &QCheckBox::toggled, this, [this] { applyTopPos(); });
    connect(&m_controller->selection(), &QItemSelectionModel::selectionChanged, this,
            [this] { refreshButtons(); });

    ListCommands &list = *m_listCommands;
    connect(btnAdd, &QPushButton::clicked, this, [&list] { list.add(); });
    connect(btnEdit, &QPushButton::clicked, this, [&list] { list.edit(); });
    connect(btnDelete, &QPushButton::clicked, this, [&list] { list.deleteSelected(); });
    connect(btnClear, &QPushButton::clicked, this, [&list] { list.clear(); });
    connect(btnProtect, &QPushButton::clicked, this, [&list] { list.toggleProtect(); });
    connect(btnNamed, &QPushButton::clicked, this, [&list] { list.editCaption(); });
    connect(btnUp, &QPushButton::clicked, this,
            [&list] { list.moveSelected(ListCommands::Direction::Up); });
    connect(btnDown, &QPushButton::clicked, this,
            [&list] { list.moveSelected(ListCommands::Direction::Down); });

    connect(m_tray, &TrayIcon::menuAboutToShow, this, [this] { rebuildTrayMenu(); });
    connect(m_tray, &TrayIcon::textChosen, this, [this](int index) {
        TrayMenu::chooseItem(m_controller->clipboard(), m_trayItems, index);
    });
    connect(m_tray, &TrayIcon::clearListRequested, this, [this] {
        TrayMenu::clearList(m_controller->settings(), *m_prompter,
                            m_controller->monitor().history());
    });
    connect(m_tray, &TrayIcon::openRequested, this, [this] { showWindow(); });
    connect(m_tray, &TrayIcon::exitRequested, this, [this] { exitApp(); });
    connect(m_hotKey, &HotKeyBinding::activated, this, [this] { showFromShortcut(); });

    GroupCommands &groups = m_controller->groups();
    bindGroupSelector(cobGroup, &groups.selector(), [this, &groups](int row) {
        if (m_cobGroupReady)
            groups.chooseRow(row);
    });
    connect(m_popup.groupName, &QAction::triggered, this, [&groups] { groups.renameGroup(); });
    connect(m_popup.groupCopy, &QAction::triggered, this,
            [&groups] { groups.copyBetweenGroups(); });
    connect(m_popup.groupOrder, &QAction::triggered, this, [&groups] { groups.orderGroups(); });
    connect(m_popup.groupRemove, &QAction::triggered, this, [&groups] { groups.deleteGroup(); });
    connect(m_popup.setup, &QAction::triggered, this, [this] { openSetup(); });
    connect(m_popup.listFont, &QAction::triggered, this, [this] { chooseListFont(); });
    connect(m_popup.help, &QAction::triggered, this, [this] {
        BrowserCommands::openHelp(AppInfo::kHelpUrl.toString(), m_controller->clipboard(),
                                  *m_prompter, m_env.openUrl);
    });
    connect(m_popup.readMe, &QAction::triggered, this, [this] {
        const QString path = readmeFileFor(m_env.programFolder);
        BrowserCommands::openReadme(path, *m_prompter, m_env.openUrl);
    });
    connect(m_popup.about, &QAction::triggered, this, [this] { m_prompter->about(); });
    connect(m_popup.exitApp, &QAction::triggered, this, [this] { exitApp(); });
}

void MainWindow::load(const std::function<void()> &finishSplash)
{
    m_cobGroupReady = false;
    MainController &c = *m_controller;
    const Settings &settings = c.settings();
    const Settings::ReadScope readOnce(settings); // a huge settings file is read once
    c.clipboard().clear();
    c.reset();
    applyStartPlacement();

    chkAutoGet->setChecked(settings.isEmpty(Setting::AutoGet) ||
                           settings.number(Setting::AutoGet) == 1);
    m_capture->setAutoGet(chkAutoGet->isChecked());
    chkTopPos->setChecked(settings.isEmpty(Setting::TopPos) ||
                          settings.number(Setting::TopPos) == 1);
    applyTopPos();
    lstText->setFont(WindowSettings::listFont(settings, lstText->font()));

    c.setUpGroups();
    m_capture->stop();
    c.loadGroup(c.currentGroupNo());
    if (settings.number(Setting::StartupGroup) == 2)
        c.removeUnkeptRows();
    m_capture->start();
    cobGroup->setVisible(true);
    if (settings.number(Setting::InTaskTray) == 1)
        addTrayIcon();
    m_hotKey->apply(HotKeyBinding::Reason::Startup);
    if (finishSplash)
        finishSplash();
    m_cobGroupReady = true;
}

void MainWindow::showAtStart()
{
    if (m_controller->settings().number(Setting::StartupState) == 1) {
        if (isTrayIconShown())
            return; // it lives in the tray until called
        showMinimized();
        return;
    }
    show();
}

void MainWindow::applyStartPlacement()
{
    const int firstRunWidth = picBottom->sizeHint().width() + kExtraWidth;
    const WindowSettings::Placement p = WindowSettings::startPlacement(
        m_controller->settings(), kDesignClientSize.expandedTo(minimumSize()), firstRunWidth,
        Screens::availableAreas());
    // The size is the client area's, the place the frame's: what unload keeps.
    resize(p.size);
    if (p.position)
        move(*p.position);
}

void MainWindow::updateMinimumSize()
{
    const QSize strip = picBottom->sizeHint();
    setMinimumSize(strip.width() + kExtraWidth, 4 * strip.height());
}

void MainWindow::applyTopPos()
{
    const bool on = chkTopPos->isChecked();
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    // Changing the flag re-creates the native window, which hides it.
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible)
        show();
}

bool MainWindow::topMost() const
{
    return chkTopPos && chkTopPos->isChecked();
}

void MainWindow::refreshListState()
{
    lblListCounter->setText(m_filtered->counterText());
    DialogSupport::showCounterWarning(lblListCounter,
                                      counterIsWarning(m_controller->model().count()));
    refreshButtons();
}

void MainWindow::refreshButtons()
{
    const bool any = m_controller->selection().hasSelection();
    for (QPushButton *button : {btnEdit, btnProtect, btnNamed, btnDelete})
        button->setEnabled(any);
    // Moving or clearing rows that cannot be seen would surprise: not while filtered.
    const bool filtering = m_filtered->isFiltering();
    btnUp->setEnabled(any && !filtering);
    btnDown->setEnabled(any && !filtering);
    btnClear->setEnabled(!filtering);
}

void MainWindow::openPopupMenu(const QPoint &globalPos)
{
    // The default group can be neither renamed nor deleted.
    if (const std::optional<bool> enabled = m_controller->groups().groupMenuEnabled()) {
        m_popup.groupName->setEnabled(*enabled);
        m_popup.groupRemove->setEnabled(*enabled);
    }
    m_popup.menu->popup(globalPos);
}

void MainWindow::chooseListFont()
{
    const std::optional<QFont> font = m_prompter->chooseFont(lstText->font());
    if (!font)
        return;
    lstText->setFont(*font);
    Settings::Batch batch(m_controller->settings());
    WindowSettings::addListFont(batch, *font);
    QString error;
    if (!batch.commit(&error))
        m_prompter->message(DialogSupport::settingsNotWrittenText(m_controller->settings(), error),
                            Prompter::systemErrorTitle(), Prompter::Buttons::Ok);
}

void MainWindow::openSetup()
{
    if (!m_prompter->setup())
        return;
    if (m_controller->settings().number(Setting::InTaskTray) == 1)
        addTrayIcon();
    else
        removeTrayIcon();
    m_hotKey->apply(HotKeyBinding::Reason::SettingsChanged);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded && isTrayIconShown()) {
        // The tray icon stands in for the window: closing only hides it.
        event->ignore();
        hide();
        return;
    }
    if (!unload(ExitCause::User)) {
        event->ignore();
        return;
    }
    event->accept();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the list puts the selected texts on the clipboard; a selection
    // moved with the keyboard does not.
    if (watched == m_listViewport && m_listViewport &&
        (event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseButtonDblClick)) {
        copyAsClicked();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (watched == lstText && lstText && listKeyPressed(key))
            return true;
        if (watched == lblMenu && menuLabelKeyPressed(key))
            return true;
    }
    if (watched == lblMenu && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            lblMenu->rect().contains(mouse->position().toPoint())) {
            openPopupMenu(QCursor::pos());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
