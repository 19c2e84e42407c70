#include "ui/groups/groupcommands.h"

#include "settings/number.h"
#include "ui/dialogs/prompter.h"
#include "ui/groups/grouphost.h"

#include <QDir>
#include <QFile>

GroupCommands::GroupCommands(const AppPaths &paths, GroupHost &host, Prompter &prompter)
    : m_paths(paths)
    , m_registry(paths.registryFile(), paths.dataFolder)
    , m_host(host)
    , m_prompter(prompter)
{}

QString GroupCommands::saveFailedText(const QString &reason)
{
    QString text = QStringLiteral("The current group could not be saved, so its texts are kept in "
                                  "memory and it stays the current group.");
    if (!reason.isEmpty())
        text += QStringLiteral("\r\n") + reason;
    return text;
}

QString GroupCommands::registryFailedText()
{
    return QStringLiteral("The list of groups could not be written; the groups stay as they "
                          "were.");
}

void GroupCommands::setUpSelector(double startupGroup, double lastGroupNo)
{
    QString error;
    if (!m_registry.ensureExists(&error)) {
        // The default group still works; the registry file is left untouched.
        reportSystemError(QStringLiteral("The list of groups %1 %2.\r\nThe default group works as "
                                         "usual and its texts are saved; the file is left as "
                                         "it is.")
                              .arg(QDir::toNativeSeparators(m_registry.path()), error));
    }
    const QList<GroupInfo> groups = m_registry.groups();
    m_selector.setGroups(groups);
    int row = startupGroupRow(groups, startupGroup, lastGroupNo);
    if (row < 0 || row >= m_selector.count())
        row = 0;
    m_selector.setCurrentRow(row);
    m_host.setCurrentGroupNo(m_selector.numberAt(row));
}

void GroupCommands::chooseRow(int row)
{
    if (row < 0 || row >= m_selector.count())
        return;
    m_selector.setCurrentRow(row);
    if (m_selector.numberAt(row) == GroupRegistry::kNewGroupValue)
        makeNewGroup();
    switchToSelected();
    m_host.refreshButtons();
}

bool GroupCommands::switchToSelected()
{
    const std::optional<qint32> chosen = m_selector.currentNumber();
    if (!chosen || *chosen < 0 || *chosen == m_host.currentGroupNo())
        return false;
    // Loading the chosen group would drop the texts that could not be written.
    if (!m_host.saveCurrentGroup()) {
        selectCurrentGroupRow();
        reportSystemError(saveFailedText(m_host.saveError()));
        return false;
    }
    m_host.setCurrentGroupNo(*chosen);
    reloadCurrentGroup();
    return true;
}

void GroupCommands::makeNewGroup()
{
    const std::optional<QString> name = m_prompter.groupName(QString());
    if (!name || isBlank(*name)) {
        selectCurrentGroupRow();
        return;
    }
    const QString trimmed = trimBlanks(*name);
    const qint32 number = m_registry.addGroup(trimmed, m_selector.groupOrder());
    if (number < 0) {
        selectCurrentGroupRow();
        reportSystemError(registryFailedText());
        return;
    }
    m_selector.setRow(m_selector.currentRow(), GroupInfo{number, trimmed});
    m_selector.appendNewGroupRow();
}

std::optional<int> GroupCommands::selectedOwnGroupRow(const QString &refusal)
{
    const int row = m_selector.currentRow();
    if (row < 0 || m_selector.numberAt(row) == GroupRegistry::kNewGroupValue)
        return std::nullopt;
    if (m_selector.numberAt(row) == GroupRegistry::kDefaultGroup) {
        m_prompter.message(refusal, QStringLiteral("Warning"), Prompter::Buttons::Ok);
        return std::nullopt;
    }
    return row;
}

void GroupCommands::renameGroup()
{
    const std::optional<int> selected =
        selectedOwnGroupRow(QStringLiteral("Can Not rename the default group."));
    if (!selected)
        return;
    const int row = *selected;
    const qint32 number = m_selector.numberAt(row);
    const std::optional<QString> name = m_prompter.groupName(m_selector.nameAt(row));
    if (!name || isBlank(*name))
        return;
    const QString trimmed = trimBlanks(*name);
    if (!m_registry.renameGroup(number, trimmed)) {
        reportSystemError(registryFailedText());
        return;
    }
    m_selector.setRow(row, GroupInfo{number, trimmed});
}

void GroupCommands::deleteGroup()
{
    const std::optional<int> selected =
        selectedOwnGroupRow(QStringLiteral("Can Not delete the default group."));
    if (!selected)
        return;
    const int row = *selected;
    const qint32 number = m_selector.numberAt(row);
    if (m_prompter.message(QStringLiteral("Delete the current group."),
                           QStringLiteral("Warning Query"),
                           Prompter::Buttons::OkCancel) != Prompter::Answer::Ok)
        return;
    m_host.resetSaveElapsed();
    if (m_host.currentGroupNo() < 1 || m_host.currentGroupNo() != number)
        return;

    QList<qint32> remaining = m_selector.groupOrder();
    remaining.removeAll(number);
    // The registry first: if it cannot be written the group, its file and its
    // row all stay, rather than a listed group whose texts are gone.
    if (!m_registry.removeGroup(number, remaining)) {
        reportSystemError(registryFailedText());
        return;
    }
    QFile::remove(m_paths.groupFile(number));
    for (int r = m_selector.count() - 1; r >= 0; --r) {
        if (m_selector.numberAt(r) == number)
            m_selector.removeRowAt(r);
    }
    m_host.setCurrentGroupNo(GroupRegistry::kDefaultGroup);
    m_selector.setCurrentRow(0);
    reloadCurrentGroup();
}

std::optional<bool> GroupCommands::groupMenuEnabled() const
{
    const std::optional<qint32> number = m_selector.currentNumber();
    if (!number)
        return std::nullopt;
    return *number != GroupRegistry::kDefaultGroup;
}

void GroupCommands::orderGroups()
{
    if (m_prompter.groupOrder())
        followNewOrder();
}

void GroupCommands::followNewOrder()
{
    m_host.resetSaveElapsed();
    const bool saved = m_host.saveCurrentGroup();
    const qint32 before = m_host.currentGroupNo();
    const QList<GroupInfo> groups = m_registry.groups();
    // A registry that cannot be read lists nothing; keep the rows already shown.
    if (!groups.isEmpty()) {
        m_selector.setGroups(groups);
        int row = m_selector.findGroup(before);
        if (row < 0)
            row = 0;
        m_selector.setCurrentRow(row);
        m_host.setCurrentGroupNo(m_selector.numberAt(row));
    }
    if (!saved)
        reportSystemError(saveFailedText(m_host.saveError()));
    // Reloading the same group after a failed save would only drop its texts.
    if (saved || m_host.currentGroupNo() != before)
        reloadCurrentGroup();
}

void GroupCommands::copyBetweenGroups()
{
    const std::optional<qint32> number = m_selector.currentNumber();
    if (!number || *number == GroupRegistry::kNewGroupValue)
        return;
    m_host.stopTimer();
    m_host.resetSaveElapsed();
    // The dialog works on the files: a group that could not be saved would be
    // shown stale there and its texts dropped by the reload afterwards.
    if (!m_host.saveCurrentGroup()) {
        reportSystemError(saveFailedText(m_host.saveError()));
        m_host.startTimer();
        return;
    }
    m_prompter.groupCopy(*number);
    m_host.loadCurrentGroup();
    m_host.startTimer();
}

void GroupCommands::selectCurrentGroupRow()
{
    const int row = m_selector.findGroup(m_host.currentGroupNo());
    if (row >= 0)
        m_selector.setCurrentRow(row);
}

void GroupCommands::reloadCurrentGroup()
{
    m_host.stopTimer();
    m_host.loadCurrentGroup();
    m_host.startTimer();
}

void GroupCommands::reportSystemError(const QString &text)
{
    m_prompter.message(text, Prompter::systemErrorTitle(), Prompter::Buttons::Ok);
}
