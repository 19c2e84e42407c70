#include "ui/main/maincontroller.h"

#include "platform/clipboard.h"
#include "store/groupfile.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/prompter.h"

using DialogSupport::BusyCursor;

MainController::MainController(const AppPaths &paths, ClipboardAccess &clipboard,
                               Prompter &prompter, Hooks hooks)
    : m_paths(paths)
    , m_settings(paths.iniFile)
    , m_clipboard(clipboard)
    , m_prompter(prompter)
    , m_hooks(std::move(hooks))
    , m_selection(&m_model)
    , m_monitor(clipboard, m_model, m_selection, paths.rexFile,
                ClipboardMonitor::Hooks{
                    [this] { saveGroup(SaveMode::IfChanged); },
                    [this] { call(m_hooks.showWindow); },
                    [this] { call(m_hooks.listChanged); },
                })
    , m_groups(paths, *this, prompter)
{}

void MainController::reset()
{
    m_selection.clear();
    m_model.clearAll();
    m_monitor.setLastClipText(QString());
    m_currentGroupNo = -1;
    m_monitor.resetSaveElapsed();
    m_monitor.history().clear();
    m_savedContent.clear();
}

void MainController::setUpGroups()
{
    m_groups.setUpSelector(m_settings.number(Setting::StartupGroup),
                           m_settings.number(Setting::LastGroupNo));
}

void MainController::loadGroup(qint32 groupNo)
{
    m_clipboard.clear();
    m_selection.clear();
    m_model.clearAll();
    m_monitor.setLastClipText(QString());
    m_monitor.resetSaveElapsed();
    m_currentGroupNo = groupNo;
    m_savedContent.clear();
    call(m_hooks.listChanged);
    if (groupNo < 0)
        return;

    BusyCursor busy;
    const auto report = [this](const QString &message) {
        m_prompter.message(message, Prompter::systemErrorTitle(), Prompter::Buttons::Ok);
    };
    GroupLoadResult result = loadGroupFile(m_paths.groupFile(groupNo), report);
    // After a failed read the original file has been set aside, so the next save
    // may write what could be read; until then the periodic save must not skip.
    if (result.status != GroupLoadResult::Status::Failed)
        m_savedContent = serializeGroup(result.entries);
    m_model.loadEntries(std::move(result.entries));
    call(m_hooks.listChanged);
}

bool MainController::saveGroup(SaveMode mode)
{
    m_monitor.resetSaveElapsed();
    if (m_currentGroupNo < 0)
        return false;
    const QList<TextEntry> entries = m_model.entriesInRowOrder();
    QByteArray content = serializeGroup(entries);
    if (mode == SaveMode::IfChanged && !m_savedContent.isNull() && content == m_savedContent)
        return true;

    BusyCursor busy;
    if (!saveGroupFile(m_paths.groupFile(m_currentGroupNo), m_paths.tempGroupFile(), entries))
        return false;
    m_savedContent = std::move(content);
    return true;
}

void MainController::removeUnkeptRows()
{
    for (int row = m_model.count() - 1; row >= 0; --row) {
        const TextEntry &entry = m_model.entryAt(row);
        if (entry.protectFlag == 0 && entry.namedFlag == 0)
            m_model.removeRowAt(row);
    }
    call(m_hooks.listChanged);
}

void MainController::saveSetup(bool autoGet, bool topPos) const
{
    m_settings.setFlag(Setting::AutoGet, autoGet);
    m_settings.setFlag(Setting::TopPos, topPos);
    const std::optional<qint32> selected = m_groups.selector().currentNumber();
    if (selected && *selected >= 0)
        m_settings.setValue(Setting::LastGroupNo, *selected);
}
