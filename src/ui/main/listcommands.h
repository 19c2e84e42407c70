#pragma once

#include "settings/settingskeys.h"

#include <QFont>
#include <QString>

#include <functional>

class ClipboardAccess;
class Prompter;
class QItemSelectionModel;
class TextListModel;

// The commands of the buttons under the list and of mouse actions on it, working
// on the current group in memory and its selection. Nothing here writes the group
// file: changes reach it at the next save.
//
// The window wires its buttons to these calls. After a mouse release or a
// double-click on the list it calls copySelectedText() and then refreshes its
// buttons itself; a selection changed from the keyboard copies nothing.
class ListCommands
{
public:
    enum class Direction
    {
        Up,
        Down
    };

    struct Hooks
    {
        // Rows were added, removed or rebuilt: refresh the row counter, then the
        // buttons. Add, Delete and Clear call it; Edit, Protect, Caption, the
        // moves and copying the selection do not change the row count.
        std::function<void()> listChanged;
        // The list's font, given to the edit dialog's text box.
        std::function<QFont()> listFont;
        // The monitor's last clipboard text: what the program last took from the
        // clipboard or put on it, so the monitor does not take it in again.
        std::function<QString()> lastClipText;
        std::function<void(const QString &)> setLastClipText;
    };

    ListCommands(TextListModel &model, QItemSelectionModel &selection, ClipboardAccess &clipboard,
                 Prompter &prompter, Settings settings, Hooks hooks);

    // btnAdd: a new text from the edit dialog, appended, selected alone and put on
    // the clipboard. A full list (kMaxListRows) opens nothing.
    void add();
    // btnEdit: edits the one selected text, then copies the selection (also after Cancel).
    void edit();
    // btnDelete: removes the selected rows that are neither protected nor named.
    void deleteSelected();
    // btnClear: removes every row that is neither protected nor named, whatever
    // the selection; the kept rows come back unselected.
    void clear();
    // btnProtect: flips the protection of each selected row on its own.
    void toggleProtect();
    // btnNamed: sets or removes the caption of the one selected text.
    void editCaption();
    // btnUp / btnDown: every run of selected rows moves one place; nothing moves
    // when a selected row is already at that edge.
    void moveSelected(Direction direction);
    // Puts the selected texts, joined by CR LF, on the clipboard.
    void copySelectedText();

private:
    // Edit and Caption work on one text: with several selected they warn and stop.
    bool warnIfSeveralSelected();
    int topSelectedRow() const; // -1 when none is selected
    void swapRows(int a, int b);
    void notifyListChanged();
    QString lastClipText() const;
    void setLastClipText(const QString &text);
    void putOnClipboard(const QString &text);

    TextListModel &m_model;
    QItemSelectionModel &m_selection;
    ClipboardAccess &m_clipboard;
    Prompter &m_prompter;
    Settings m_settings;
    Hooks m_hooks;
};
