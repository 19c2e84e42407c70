#pragma once

#include "platform/paths.h"
#include "store/groupregistry.h"
#include "ui/groups/groupselectormodel.h"

#include <QString>

#include <optional>

class GroupHost;
class Prompter;

// The main window's group selector and the commands on groups: switching, making,
// renaming and deleting a group, and what follows the order and copy/move
// dialogs. Every change of the registry is a single write; when it fails the
// selector keeps showing what the registry holds.
class GroupCommands
{
public:
    GroupCommands(const AppPaths &paths, GroupHost &host, Prompter &prompter);
    GroupCommands(const GroupCommands &) = delete;
    GroupCommands &operator=(const GroupCommands &) = delete;

    GroupSelectorModel &selector() { return m_selector; }
    const GroupSelectorModel &selector() const { return m_selector; }
    const GroupRegistry &registry() const { return m_registry; }

    // At start: makes sure the registry exists, fills the selector, selects the
    // start-up group (the "StartupGroup" and "LastGroupNo" numbers) and makes it
    // the host's current group. Loads nothing.
    void setUpSelector(double startupGroup, double lastGroupNo);

    // The user chose this row of the selector: the new-group row asks for a
    // name; another group is switched to (old one saved, new one loaded).
    void chooseRow(int row);
    // "Name" in the group menu.
    void renameGroup();
    // "Delete" in the group menu.
    void deleteGroup();
    // Whether "Name" and "Delete" are enabled (not for the default group);
    // nullopt when no row is selected and the menu should be left as it is.
    std::optional<bool> groupMenuEnabled() const;

    // "Order of Group list": the order dialog, then followNewOrder() if confirmed.
    void orderGroups();
    // After a new order was written: saves the current group, rebuilds the
    // selector from the registry keeping the current group, and reloads it.
    void followNewOrder();
    // "Copy or Move, between groups": saves the current group, runs the dialog
    // with the capture timer stopped, and reloads the current group afterwards.
    void copyBetweenGroups();

    // The message shown when the current group cannot be saved before a command
    // that would otherwise drop its unsaved texts.
    static QString saveFailedText(const QString &reason = {});
    static QString registryFailedText();

private:
    void makeNewGroup();
    bool switchToSelected();
    void selectCurrentGroupRow();
    void reloadCurrentGroup();
    void reportSystemError(const QString &text);
    // The selected row when it names a group other than the default one; for the
    // default group the refusal is shown and nullopt returned, as for no group.
    std::optional<int> selectedOwnGroupRow(const QString &refusal);

    AppPaths m_paths;
    GroupRegistry m_registry;
    GroupHost &m_host;
    Prompter &m_prompter;
    GroupSelectorModel m_selector;
};
