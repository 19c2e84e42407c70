#pragma once

#include <QList>
#include <QString>
#include <QStringView>

class ClipboardAccess;
class ClipboardHistory;
class Prompter;
class Settings;

// What the tray menu shows and does, apart from the menu widget itself: the items
// of the recent clipboard texts, oldest first, and the commands on them.
namespace TrayMenu {

// A recent text as the menu shows it cut to about this many width units.
inline constexpr int kShownWidth = 40;

// The shortest prefix of text that fills at least width units, or the whole text.
// Each East Asian wide or fullwidth character (a surrogate pair is one
// character) counts 2, any other 1. A double-width character across the limit is
// taken whole, never split.
QString widthPrefix(QStringView text, int width);

// The text on one line: every CR LF shown as "[cr]", cut to kShownWidth units with
// "..." after it when anything was left out.
QString shownText(const QString &text);

// The caption of the menu item at index k (0 at the top): "&" and k + 1 as the
// access key, "> ", then the shown text with every "&" doubled so it appears as is.
QString itemCaption(int k, const QString &text);

struct TextItem
{
    QString caption;
    QString text; // the whole text, real line breaks, as it goes back on the clipboard
};

// Rebuilds the history's recent list and returns one item per recent text,
// oldest first and newest at the bottom; empty when the history is.
QList<TextItem> textItems(ClipboardHistory &history);

// Choosing item index puts that item's whole text on the clipboard. The window
// passes the items it built the menu from, so the text that goes is the one
// shown even if the history changed while the menu was open. An index outside
// the items does nothing; returns whether something was put.
bool chooseItem(ClipboardAccess &clipboard, const QList<TextItem> &items, int index);

// "&Clear the List below": empties the history after the confirmation that
// Msg_DelTasktrayMenuList (exactly "1") asks for. Returns whether it was emptied.
bool clearList(const Settings &settings, Prompter &prompter, ClipboardHistory &history);

} // namespace TrayMenu
