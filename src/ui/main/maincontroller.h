#pragma once

#include "capture/clipboardmonitor.h"
#include "platform/paths.h"
#include "settings/settingskeys.h"
#include "store/groupregistry.h"
#include "store/textlistmodel.h"

#include <QByteArray>
#include <QItemSelectionModel>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class ClipboardAccess;
class Prompter;

// The rows of the group selector: the groups in their order, then the row that
// makes a new group.
struct GroupSelectorRows
{
    QList<GroupInfo> groups;
    int selectedRow = 0; // groups.size() when the new-group row is selected

    // The row value of a row: the group number, or the new-group value for the last row.
    qint32 valueAt(int row) const;
};

// What the main window keeps of the current group, without the widgets: the
// texts in memory and their selection, the group's number, the clipboard
// monitor that feeds the list, and the load and save of the group's file.
class MainController
{
public:
    struct Hooks
    {
        std::function<void()> listChanged; // rows added or removed: counter, then buttons
        std::function<void()> showWindow;  // a second copy asked for the window
    };

    // The caption of the selector's last row.
    static QString newGroupRowText();

    MainController(const AppPaths &paths, ClipboardAccess &clipboard, Prompter &prompter,
                   Hooks hooks);
    MainController(const MainController &) = delete;
    MainController &operator=(const MainController &) = delete;

    const AppPaths &paths() const { return m_paths; }
    const Settings &settings() const { return m_settings; }
    ClipboardAccess &clipboard() { return m_clipboard; }
    Prompter &prompter() { return m_prompter; }
    TextListModel &model() { return m_model; }
    QItemSelectionModel &selection() { return m_selection; }
    ClipboardMonitor &monitor() { return m_monitor; }
    const GroupRegistry &registry() const { return m_registry; }

    // -1 until a group is chosen; the group that saveGroup() writes.
    qint32 currentGroupNo() const { return m_currentGroupNo; }

    // The state every start begins from: no texts, no group, nothing seen.
    void reset();

    // Makes sure the registry exists, lists the groups and picks the start-up
    // group ("StartupGroup" 0: the last group used, else the default group);
    // the picked row's value becomes the current group number.
    GroupSelectorRows groupList();

    // Empties the clipboard and the list, forgets the last clipboard text, then
    // reads the group's file into the list (a negative number leaves it empty).
    // The group becomes the current group. Values that cannot be parsed are
    // reported as "System error" messages.
    void loadGroup(qint32 groupNo);

    enum class SaveMode
    {
        Always,
        IfChanged, // the periodic save: nothing is written when the rows are as last loaded or
                   // saved
    };
    // Writes the rows, top to bottom, to the current group's file. True when the
    // file holds them afterwards.
    bool saveGroup(SaveMode mode = SaveMode::Always);

    // Keeps only the protected and captioned rows ("StartupGroup" 2).
    void removeUnkeptRows();

    // The values kept in the window's controls; LastGroupNo only when a group
    // (not the new-group row) is selected.
    void saveSetup(bool autoGet, bool topPos, std::optional<qint32> selectedValue) const;

private:
    void notifyListChanged();

    AppPaths m_paths;
    Settings m_settings;
    ClipboardAccess &m_clipboard;
    Prompter &m_prompter;
    Hooks m_hooks;
    GroupRegistry m_registry;
    TextListModel m_model;
    QItemSelectionModel m_selection;
    ClipboardMonitor m_monitor;
    qint32 m_currentGroupNo = -1;
    // The file content as last loaded or saved; null when unknown.
    QByteArray m_savedContent;
};
