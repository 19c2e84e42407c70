#include "ui/main/mainwindow.h"

#include "platform/appicon.h"
#include "platform/appinfo.h"
#include "platform/clipboard.h"
#include "platform/readmefile.h"
#include "platform/systemtray.h"
#include "platform/urlopener.h"
#include "settings/settingskeys.h"
#include "store/textentry.h"
#include "ui/dialogs/twips.h"
#include "ui/groups/groupselectormodel.h"
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
#include <QGridLayout>
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

// The design sizes, in pixels (twips / 15).
constexpr QSize kDesignClientSize{210, 288};
constexpr QSize kDesignButtonSize{45, 21};
constexpr QSize kDesignArrowSize{22, 21};
// The window is at least this much wider than the button strip.
constexpr int kExtraWidth = 4;

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
                                                        [this] { timMain->stop(); },
                                                        [this] { timMain->start(); },
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

    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppInfo::kName.toString());
    setWindowIcon(m_env.icon);
    buildControls();
    connectControls();
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

void MainWindow::buildControls()
{
    picTop = buildTopStrip();

    cobGroup = new QComboBox(this);
    cobGroup->setObjectName(QStringLiteral("cobGroup"));
    cobGroup->setVisible(false);

    lstText = new QListView(this);
    lstText->setObjectName(QStringLiteral("lstText"));
    lstText->setToolTip(QStringLiteral("Selected text go into the clipboard, you may paste it."));
    lstText->setModel(&m_controller->model());
    lstText->setSelectionModel(&m_controller->selection());
    lstText->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstText->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstText->setUniformItemSizes(true); // ten thousand rows stay quick
    lstText->setFont(WindowSettings::defaultListFont());
    m_listViewport = lstText->viewport();
    m_listViewport->installEventFilter(this);

    picBottom = buildBottomStrip();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(picTop);
    layout->addWidget(cobGroup);
    layout->addWidget(lstText, 1);
    // The strip keeps its width; the buttons keep their places inside it.
    layout->addWidget(picBottom, 0, Qt::AlignLeft);

    timMain = new QTimer(this);
    timMain->setObjectName(QStringLiteral("timMain"));
    timMain->setInterval(ClipboardMonitor::kIntervalMs);

    m_tray = new TrayIcon(m_env.icon, m_env.trayAvailable, this);
    m_popup = PopupMenu::build(this);

    setTabOrder(chkTopPos, chkAutoGet);
    setTabOrder(chkAutoGet, cobGroup);
    setTabOrder(cobGroup, lstText);
    setTabOrder(lstText, btnProtect);
    const QList<QPushButton *> order{btnProtect, btnNamed, btnEdit, btnAdd,
                                     btnDelete,  btnClear, btnUp,   btnDown};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    updateMinimumSize();
    resize(kDesignClientSize.expandedTo(minimumSize()));
    refreshListState();
}

QWidget *MainWindow::buildTopStrip()
{
    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("picTop"));

    chkTopPos = new QCheckBox(QStringLiteral("Always on Top"), strip);
    chkTopPos->setObjectName(QStringLiteral("chkTopPos"));
    chkTopPos->setToolTip(QStringLiteral("keep this window on top"));
    chkAutoGet = new QCheckBox(QStringLiteral("Automatically"), strip);
    chkAutoGet->setObjectName(QStringLiteral("chkAutoGet"));
    chkAutoGet->setToolTip(QStringLiteral("get text from clipboard automatically"));

    lblMenu = new QLabel(QStringLiteral("Menu"), strip);
    lblMenu->setObjectName(QStringLiteral("lblMenu"));
    QPalette palette = lblMenu->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    lblMenu->setPalette(palette);
    lblMenu->setCursor(Qt::PointingHandCursor);
    lblMenu->installEventFilter(this);

    lblListCounter = new QLabel(QStringLiteral("0"), strip);
    lblListCounter->setObjectName(QStringLiteral("lblListCounter"));
    lblListCounter->setToolTip(QStringLiteral("counter of list"));
    lblListCounter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *grid = new QGridLayout(strip);
    grid->setContentsMargins(2, 0, 4, 0);
    grid->setVerticalSpacing(0);
    grid->addWidget(chkTopPos, 0, 0);
    grid->addWidget(chkAutoGet, 1, 0);
    grid->addWidget(lblMenu, 0, 1, Qt::AlignRight);
    grid->addWidget(lblListCounter, 1, 1, Qt::AlignRight);
    grid->setColumnStretch(0, 1);
    return strip;
}

QWidget *MainWindow::buildBottomStrip()
{
    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("picBottom"));
    btnProtect = addButton(strip, QStringLiteral("btnProtect"), QStringLiteral("P #"),
                           QStringLiteral("protect from Delete and clear"));
    btnNamed = addButton(strip, QStringLiteral("btnNamed"), QStringLiteral("N @"),
                         QStringLiteral("Another caption"));
    btnEdit = addButton(strip, QStringLiteral("btnEdit"), QStringLiteral("Edit"),
                        QStringLiteral("edit a selected text"));
    btnAdd = addButton(strip, QStringLiteral("btnAdd"), QStringLiteral("Add"),
                       QStringLiteral("add new text"));
    btnDelete = addButton(strip, QStringLiteral("btnDelete"), QStringLiteral("Delete"),
                          QStringLiteral("delete selected text except [P#] and [N@]"));
    btnClear = addButton(strip, QStringLiteral("btnClear"), QStringLiteral("Clear"),
                         QStringLiteral("clear list except [P#] and [N@]"));
    btnUp = addButton(strip, QStringLiteral("btnUp"), QString(), QStringLiteral("move it up"));
    btnUp->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    btnDown =
        addButton(strip, QStringLiteral("btnDown"), QString(), QStringLiteral("move it down"));
    btnDown->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    btnUp->setFixedSize(kDesignArrowSize.expandedTo(btnUp->sizeHint().boundedTo({28, 28})));
    btnDown->setFixedSize(btnUp->size());

    auto *grid = new QGridLayout(strip);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(3);
    grid->addWidget(btnProtect, 0, 0);
    grid->addWidget(btnNamed, 1, 0);
    grid->addWidget(btnEdit, 0, 1);
    grid->addWidget(btnAdd, 1, 1);
    grid->addWidget(btnDelete, 0, 2);
    grid->addWidget(btnClear, 1, 2);
    grid->setColumnMinimumWidth(3, 6);
    grid->addWidget(btnUp, 0, 4);
    grid->addWidget(btnDown, 1, 4);
    strip->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return strip;
}

QPushButton *MainWindow::addButton(QWidget *parent, const QString &name, const QString &caption,
                                   const QString &toolTip)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    // The design size, wider where the caption would not fit in it.
    const QFontMetrics metrics(button->font());
    const int width = std::max(kDesignButtonSize.width(), metrics.horizontalAdvance(caption) + 14);
    const int height = std::max(kDesignButtonSize.height(), metrics.height() + 8);
    button->setFixedSize(width, height);
    return button;
}

void MainWindow::connectControls()
{
    connect(timMain, &QTimer::timeout, this,
            [this] { m_controller->monitor().tick(chkAutoGet->isChecked()); });
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
    c.clipboard().clear();
    c.reset();
    applyStartPlacement();

    chkAutoGet->setChecked(settings.isEmpty(Setting::AutoGet) ||
                           settings.number(Setting::AutoGet) == 1);
    chkTopPos->setChecked(settings.isEmpty(Setting::TopPos) ||
                          settings.number(Setting::TopPos) == 1);
    applyTopPos();
    lstText->setFont(WindowSettings::listFont(settings, lstText->font()));

    c.setUpGroups();
    timMain->stop();
    c.loadGroup(c.currentGroupNo());
    if (settings.number(Setting::StartupGroup) == 2)
        c.removeUnkeptRows();
    timMain->start();
    cobGroup->setVisible(true);
    if (settings.number(Setting::InTaskTray) == 1)
        addTrayIcon();
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
        primaryScreenSize());
    if (p.position)
        setGeometry(QRect(*p.position, p.size));
    else
        resize(p.size);
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
    const int rows = m_controller->model().count();
    lblListCounter->setText(QString::number(rows));
    QPalette palette = lblListCounter->palette();
    palette.setColor(QPalette::WindowText, counterIsWarning(rows) ? Qt::red : Qt::black);
    lblListCounter->setPalette(palette);
    refreshButtons();
}

void MainWindow::refreshButtons()
{
    const bool any = m_controller->selection().hasSelection();
    for (QPushButton *button : {btnEdit, btnProtect, btnNamed, btnUp, btnDown, btnDelete})
        button->setEnabled(any);
}

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
    WindowSettings::saveListFont(m_controller->settings(), *font);
}

void MainWindow::openSetup()
{
    if (!m_prompter->setup())
        return;
    if (m_controller->settings().number(Setting::InTaskTray) == 1)
        addTrayIcon();
    else
        removeTrayIcon();
}

void MainWindow::exitApp()
{
    unload();
    close();
}

void MainWindow::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    MainController &c = *m_controller;
    c.monitor().resetSaveElapsed();
    timMain->stop();
    WindowSettings::saveGeometry(c.settings(), windowState(), normalGeometry(),
                                 chkTopPos->isChecked());
    WindowSettings::saveListFont(c.settings(), lstText->font());
    c.saveGroup();
    c.saveSetup(chkAutoGet->isChecked(), chkTopPos->isChecked());
    removeTrayIcon();
    emit unloaded();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded && isTrayIconShown()) {
        // The tray icon stands in for the window: closing only hides it.
        event->ignore();
        hide();
        return;
    }
    unload();
    event->accept();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the list puts the selected texts on the clipboard; a selection
    // moved with the keyboard does not.
    if (watched == m_listViewport && m_listViewport &&
        (event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseButtonDblClick)) {
        m_listCommands->copySelectedText();
        refreshButtons();
        return false;
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
