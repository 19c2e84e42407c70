#include "ui/main/trayicon.h"

#include "platform/appinfo.h"
#include "platform/systemtray.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

TrayIcon::TrayIcon(const QIcon &icon, std::function<bool()> available, QWidget *menuOwner)
    : QObject(menuOwner)
    , m_available(std::move(available))
    , m_icon(icon)
    , m_menu(new QMenu(menuOwner))
{
    m_menu->setObjectName(QStringLiteral("mnuTaskTray"));
    m_menu->setTitle(QStringLiteral("&TaskTray"));
    connect(m_menu, &QMenu::aboutToShow, this, &TrayIcon::menuAboutToShow);
    rebuildMenu({});
}

TrayIcon::~TrayIcon()
{
    remove();
}

void TrayIcon::add()
{
    if (m_active || !m_available())
        return;
    if (!m_trayIcon) {
        m_trayIcon = new SystemTray(m_icon, AppInfo::kName.toString(), m_menu, this);
        connect(m_trayIcon, &SystemTray::clicked, this, [this] {
            if (m_active)
                emit openRequested();
        });
    }
    m_trayIcon->show();
    m_active = true;
}

void TrayIcon::remove()
{
    if (!m_active)
        return;
    m_trayIcon->hide();
    m_active = false;
}

bool TrayIcon::showNotice(const QString &title, const QString &text)
{
    return m_active && m_trayIcon && m_trayIcon->showWarning(title, text);
}

void TrayIcon::rebuildMenu(const QStringList &textCaptions)
{
    m_menu->clear();
    const auto item = [this](const QString &caption, const QString &name) {
        QAction *action = m_menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    const auto separator = [this](const QString &name) {
        m_menu->addSeparator()->setObjectName(name);
    };

    connect(item(QStringLiteral("&Open"), QStringLiteral("mnuTaskTray_Open")), &QAction::triggered,
            this, &TrayIcon::openRequested);
    separator(QStringLiteral("mnuTaskTray_Line1"));
    connect(item(QStringLiteral("E&xit"), QStringLiteral("mnuTaskTray_ExitApp")),
            &QAction::triggered, this, &TrayIcon::exitRequested);
    if (textCaptions.isEmpty())
        return;

    separator(QStringLiteral("mnuTaskTray_LineOfListClear"));
    connect(item(QStringLiteral("&Clear the List below"), QStringLiteral("mnuTaskTray_ListClear")),
            &QAction::triggered, this, &TrayIcon::clearListRequested);
    separator(QStringLiteral("mnuTaskTray_LineTopOfList"));
    for (int k = 0; k < textCaptions.size(); ++k) {
        QAction *action =
            item(textCaptions.at(k), QStringLiteral("mnuTaskTray_Text_") + QString::number(k));
        connect(action, &QAction::triggered, this, [this, k] { emit textChosen(k); });
    }
}
