#include "ui/main/maincontroller.h"

#include "platform/clipboard.h"
#include "store/groupfile.h"
#include "ui/dialogs/prompter.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>

namespace {

// The busy pointer while a group file is read or written; nothing without a GUI.
class BusyCursor
{
public:
    BusyCursor()
        : m_active(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (m_active)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~BusyCursor()
    {
        if (m_active)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_active;
};

} // namespace

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
                    [this] { periodicSave(); },
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
    const QString path = m_paths.groupFile(groupNo);
    GroupLoadResult result = loadGroupFile(path);
    // After a failed read the original file has been set aside, so the next save
    // may write what could be read; until then the periodic save must not skip.
    if (result.status != GroupLoadResult::Status::Failed)
        m_savedContent = serializeGroup(result.entries);
    const QString systemError = QStringLiteral("System error");
    if (!result.problems.isEmpty())
        m_prompter.message(parseProblemsMessage(result.problems, path), systemError,
                           Prompter::Buttons::Ok);
    if (result.status == GroupLoadResult::Status::Failed)
        m_prompter.message(loadFailureMessage(result, path), systemError, Prompter::Buttons::Ok);
    m_model.loadEntries(std::move(result.entries));
    call(m_hooks.listChanged);
}

bool MainController::saveGroup(SaveMode mode)
{
    m_monitor.resetSaveElapsed();
    m_lastSaveError.clear();
    if (m_currentGroupNo < 0) {
        if (m_model.count() == 0)
            return true;
        m_lastSaveError = QStringLiteral("the texts in the list belong to no group");
        return false;
    }
    const QList<TextEntry> entries = m_model.entriesInRowOrder();
    QByteArray content = serializeGroup(entries);
    if (mode == SaveMode::IfChanged && !m_savedContent.isNull() && content == m_savedContent)
        return true;

    BusyCursor busy;
    const QString path = m_paths.groupFile(m_currentGroupNo);
    QString error;
    if (!saveGroupFile(path, entries, &error)) {
        m_lastSaveError = QStringLiteral("cannot save %1: %2")
                              .arg(QDir::toNativeSeparators(path),
                                   error.isEmpty() ? QStringLiteral("unknown error") : error);
        return false;
    }
    m_savedContent = std::move(content);
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

bool MainController::saveSetup(bool autoGet, bool topPos) const
{
    bool ok = m_settings.setFlag(Setting::AutoGet, autoGet);
    ok = m_settings.setFlag(Setting::TopPos, topPos) && ok;
    const std::optional<qint32> selected = m_groups.selector().currentNumber();
    if (selected && *selected >= 0)
        ok = m_settings.setValue(Setting::LastGroupNo, *selected) && ok;
    return ok;
}
