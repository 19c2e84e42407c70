#pragma once

#include "platform/urlopener.h"

#include <QString>

class ClipboardAccess;
class Prompter;
class QAction;
class QMenu;
class QWidget;

// The window's popup menu mnuPopup, opened from the "Menu" label. Every item
// carries its name as objectName, separators included.
struct PopupMenu
{
    QMenu *menu = nullptr;
    QMenu *groupMenu = nullptr;
    QAction *groupName = nullptr;
    QAction *groupCopy = nullptr;
    QAction *groupOrder = nullptr;
    QAction *groupRemove = nullptr;
    QAction *setup = nullptr;
    QAction *listFont = nullptr;
    QAction *help = nullptr;
    QAction *readMe = nullptr;
    QAction *about = nullptr;
    QAction *exitApp = nullptr;

    static PopupMenu build(QWidget *owner);
};

// Opening the help page and the readme in the desktop's browser, with a way
// forward when that fails.
namespace BrowserCommands {

// On failure the address goes on the clipboard and a message says so.
void openHelp(const QString &url, ClipboardAccess &clipboard, Prompter &prompter,
              const UrlOpener &open);

// A missing file counts as a failure, since some openers report success for it;
// the message then gives the path to read by hand.
void openReadme(const QString &path, Prompter &prompter, const UrlOpener &open);

} // namespace BrowserCommands
