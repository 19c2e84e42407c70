#include "ui/main/maincontroller.h"

#include "platform/clipboard.h"
#include "store/groupfile.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/prompter.h"

#include <QDir>

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
    call(m_hooks.restartSaveCount);
    m_monitor.history().clear();
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
    m_monitor.resetForGroupLoad();
    call(m_hooks.restartSaveCount);
    m_currentGroupNo = groupNo;
    call(m_hooks.listChanged);
    if (groupNo < 0)
        return;

    BusyCursor busy;
    const QString path = m_paths.groupFile(groupNo);
    GroupLoadResult result = loadGroupFile(path);
    const QString systemError = Prompter::systemErrorTitle();
    if (!result.problems.isEmpty())
        m_prompter.message(parseProblemsMessage(result.problems, path), systemError,
                           Prompter::Buttons::Ok);
    if (result.status == GroupLoadResult::Status::Failed)
        m_prompter.message(loadFailureMessage(result, path), systemError, Prompter::Buttons::Ok);
    m_model.loadEntries(std::move(result.entries));
    // After a failed read the original file has been set aside, and a group
    // without a file gets one: either way the next save must write.
    m_model.setModified(result.status != GroupLoadResult::Status::Loaded);
    call(m_hooks.listChanged);
}

bool MainController::saveGroup(SaveMode mode)
{
    call(m_hooks.restartSaveCount);
    m_lastSaveError.clear();
    if (m_currentGroupNo < 0) {
        if (m_model.count() == 0)
            return true;
        m_lastSaveError = QStringLiteral("the texts in the list belong to no group");
        return false;
    }
    if (mode == SaveMode::IfChanged && !m_model.isModified())
        return true;

    BusyCursor busy;
    const QString path = m_paths.groupFile(m_currentGroupNo);
    QString error;
    if (!saveGroupFile(path, m_model.entriesInRowOrder(), &error)) {
        m_lastSaveError = QStringLiteral("cannot save %1: %2")
                              .arg(QDir::toNativeSeparators(path),
                                   error.isEmpty() ? QStringLiteral("unknown error") : error);
        return false;
    }
    m_model.setModified(false);
    return true;
}

void MainController::periodicSave()
{
    const bool saved = saveGroup(SaveMode::IfChanged);
    if (m_hooks.periodicSaveDone)
        m_hooks.periodicSaveDone(saved);
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

void MainController::addSetup(Settings::Batch &batch, bool autoGet, bool topPos) const
{
    batch.setFlag(Setting::AutoGet, autoGet).setFlag(Setting::TopPos, topPos);
    const std::optional<qint32> selected = m_groups.selector().currentNumber();
    if (selected && *selected >= 0)
        batch.setValue(Setting::LastGroupNo, *selected);
}
