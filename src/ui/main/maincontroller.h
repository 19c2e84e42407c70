#pragma once

#include "capture/clipboardmonitor.h"
#include "platform/paths.h"
#include "settings/settingskeys.h"
#include "store/textlistmodel.h"
#include "ui/groups/groupcommands.h"
#include "ui/groups/grouphost.h"

#include <QItemSelectionModel>

#include <functional>

class ClipboardAccess;
class Prompter;

// What the main window keeps of the current group, without the widgets: the
// texts in memory and their selection, the group's number, the group selector,
// the clipboard monitor that feeds the list, and the load and save of the
// group's file.
class MainController : public GroupHost
{
public:
    struct Hooks
    {
        std::function<void()> listChanged;    // rows added or removed: counter, then buttons
        std::function<void()> refreshButtons; // the selection may have changed
        std::function<void()> showWindow;     // a second copy asked for the window
        std::function<void()> stopTimer;
        std::function<void()> startTimer;
        std::function<void()> restartSaveCount;           // SaveElapsedMs = 0
        std::function<void(bool saved)> periodicSaveDone; // after each periodic save
    };

    MainController(const AppPaths &paths, ClipboardAccess &clipboard, Prompter &prompter,
                   Hooks hooks);
    MainController(const MainController &) = delete;
    MainController &operator=(const MainController &) = delete;

    const AppPaths &paths() const { return m_paths; }
    const Settings &settings() const { return m_settings; }
    ClipboardAccess &clipboard() { return m_clipboard; }
    TextListModel &model() { return m_model; }
    QItemSelectionModel &selection() { return m_selection; }
    ClipboardMonitor &monitor() { return m_monitor; }
    GroupCommands &groups() { return m_groups; }

    // The state every start begins from: no texts, no group, nothing seen.
    void reset();

    // Makes sure the registry exists, fills the group selector and picks the
    // start-up group ("StartupGroup" 0: the last group used, else the default
    // group), which becomes the current group. Loads nothing.
    void setUpGroups();

    // Empties the clipboard and the list, forgets the last clipboard text, then
    // reads the group's file into the list (a negative number leaves it empty).
    // The group becomes the current group. Values that cannot be parsed are
    // reported as "System error" messages. The list counts as unchanged only when
    // the file was read whole: a group without a file, or whose file was set
    // aside, is written by the next save.
    void loadGroup(qint32 groupNo);

    enum class SaveMode
    {
        IfChanged, // nothing is written while the rows are as last loaded or saved
        Always,
    };
    // Writes the rows, top to bottom, to the current group's file. True when the
    // file holds them afterwards (or there is no group and nothing to keep);
    // false with the file and the reason in lastSaveError(). IfChanged writes
    // nothing while the rows are as last loaded or saved.
    bool saveGroup(SaveMode mode = SaveMode::IfChanged);
    const QString &lastSaveError() const { return m_lastSaveError; }
    // The save that comes 120 s after a change; its outcome goes to the
    // periodicSaveDone hook.
    void periodicSave();

    // Keeps only the protected and captioned rows ("StartupGroup" 2).
    void removeUnkeptRows();

    // Adds the values kept in the window's controls, and the selected group as
    // LastGroupNo unless the new-group row is selected, to the batch.
    void addSetup(Settings::Batch &batch, bool autoGet, bool topPos) const;

    // GroupHost
    qint32 currentGroupNo() const override { return m_currentGroupNo; }
    void setCurrentGroupNo(qint32 groupNo) override { m_currentGroupNo = groupNo; }
    bool saveCurrentGroup() override { return saveGroup(SaveMode::IfChanged); }
    QString saveError() const override { return m_lastSaveError; }
    void resetSaveElapsed() override { call(m_hooks.restartSaveCount); }
    void loadCurrentGroup() override { loadGroup(m_currentGroupNo); }
    void stopTimer() override { call(m_hooks.stopTimer); }
    void startTimer() override { call(m_hooks.startTimer); }
    void refreshButtons() override { call(m_hooks.refreshButtons); }

private:
    static void call(const std::function<void()> &hook)
    {
        if (hook)
            hook();
    }

    AppPaths m_paths;
    Settings m_settings;
    ClipboardAccess &m_clipboard;
    Prompter &m_prompter;
    Hooks m_hooks;
    TextListModel m_model;
    QItemSelectionModel m_selection;
    ClipboardMonitor m_monitor;
    GroupCommands m_groups;
    qint32 m_currentGroupNo = -1;
    QString m_lastSaveError;
};
