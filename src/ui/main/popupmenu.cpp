#include "ui/main/popupmenu.h"

#include "platform/appinfo.h"
#include "platform/clipboard.h"
#include "settings/number.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/prompter.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QUrl>
#include <QWidget>

PopupMenu PopupMenu::build(QWidget *owner)
{
    PopupMenu p;
    p.menu = new QMenu(QStringLiteral("&PopupMenu"), owner);
    p.menu->setObjectName(QStringLiteral("mnuPopup"));

    const auto item = [](QMenu *menu, const QString &caption, const QString &name) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    const auto separator = [](QMenu *menu, const QString &name) {
        menu->addSeparator()->setObjectName(name);
    };

    p.groupMenu = p.menu->addMenu(QStringLiteral("&Group"));
    p.groupMenu->setObjectName(QStringLiteral("mnuPopup_Group"));
    p.groupMenu->menuAction()->setObjectName(QStringLiteral("mnuPopup_Group"));
    p.groupName = item(p.groupMenu, QStringLiteral("&Name"), QStringLiteral("mnuPopup_Group_Name"));
    p.groupCopy = item(p.groupMenu, QStringLiteral("&Copy or Move, between groups "),
                       QStringLiteral("mnuPopup_Group_Copy"));
    p.groupOrder = item(p.groupMenu, QStringLiteral("&Order of Group list"),
                        QStringLiteral("mnuPopup_Group_ListUpDown"));
    separator(p.groupMenu, QStringLiteral("mnuPopup_Group_Line1"));
    p.groupRemove =
        item(p.groupMenu, QStringLiteral("&Delete"), QStringLiteral("mnuPopup_Group_Remove"));

    separator(p.menu, QStringLiteral("mnuPopup_Line1"));
    p.setup = item(p.menu, QStringLiteral("&Settings"), QStringLiteral("mnuPopup_Setup"));
    p.listFont =
        item(p.menu, QStringLiteral("&Font of the list"), QStringLiteral("mnuPopup_ListFont"));
    separator(p.menu, QStringLiteral("mnuPopup_Line2"));
    p.help = item(p.menu, QStringLiteral("Online &Help"), QStringLiteral("mnuPopup_Help"));
    p.readMe = item(p.menu, QStringLiteral("&Readme"), QStringLiteral("mnuPopup_ReadMe"));
    separator(p.menu, QStringLiteral("mnuPopup_Line5"));
    p.about = item(p.menu, QStringLiteral("&About ") + AppInfo::kName + QStringLiteral("..."),
                   QStringLiteral("mnuPopup_Version"));
    separator(p.menu, QStringLiteral("mnuPopup_Line6"));
    p.exitApp = item(p.menu, QStringLiteral("E&xit"), QStringLiteral("mnuPopup_ExitApp"));
    return p;
}

namespace BrowserCommands {

void openHelp(const QString &url, ClipboardAccess &clipboard, Prompter &prompter,
              const UrlOpener &open)
{
    DialogSupport::openOrCopyAddress(
        url, open, clipboard, prompter,
        QStringLiteral("ie don't run.\r\nI copied URL into the clipboard, you may "
                       "paste to the address bar of your web browser."),
        QStringLiteral("system error"));
}

void openReadme(const QString &path, Prompter &prompter, const UrlOpener &open)
{
    const QString target = trimBlanks(path);
    if (QFileInfo(target).isFile() && open(QUrl::fromLocalFile(target)))
        return;
    prompter.message(QStringLiteral("ie is not opened...Please read the blow html yourself.\r\n") +
                         target,
                     QStringLiteral("system error"), Prompter::Buttons::Ok);
}

} // namespace BrowserCommands
