#include "ui/groups/groupcopysession.h"

#include <utility>
#include <vector>

GroupCopySession::GroupCopySession(const AppPaths &paths, ParseErrorReporter report)
    : m_paths(paths)
    , m_report(std::move(report))
{}

void GroupCopySession::open(qint32 mainGroupNo)
{
    m_groups = GroupRegistry(m_paths.registryFile(), m_paths.dataFolder).groups();
    m_sides = {};
    if (!m_groups.isEmpty()) {
        selectGroup(0, 0);
        int right = 0;
        for (int row = 0; row < m_groups.size(); ++row) {
            if (m_groups.at(row).number == mainGroupNo) {
                right = row;
                break;
            }
        }
        selectGroup(1, right);
    }
    read(0);
    read(1);
}

QStringList GroupCopySession::lines(int side) const
{
    const Side &s = m_sides.at(side);
    QStringList lines;
    lines.reserve(s.rows.size());
    for (int index : s.rows)
        lines.append(makeListText(s.entries.at(index)));
    return lines;
}

bool GroupCopySession::chooseGroup(int side, int row)
{
    if (row < 0 || row >= m_groups.size())
        return false;
    bool ownChangesSaved = true;
    for (int s = 0; s < 2; ++s) {
        if (!save(s) && s == side)
            ownChangesSaved = false;
    }
    if (!ownChangesSaved)
        return false;
    selectGroup(side, row);
    read(side);
    return true;
}

GroupCopySession::Transfer GroupCopySession::transfer(CopyButton button,
                                                      const QList<int> &selectedSourceRows)
{
    const int index = static_cast<int>(button);
    const int source = index < 2 ? 0 : 1;
    Transfer result{false, 1 - source, index % 2 == 1};
    Side &from = m_sides[source];
    Side &to = m_sides[result.destination];
    // Without a group on both sides there is nowhere to save the result.
    if (from.groupNo < 0 || to.groupNo < 0)
        return result;

    std::vector<bool> selected(from.rows.size(), false);
    for (int row : selectedSourceRows) {
        if (row >= 0 && row < from.rows.size())
            selected[row] = true;
    }
    int room = kMaxListRows - rowCount(result.destination);
    for (qsizetype row = 0; row < from.rows.size() && room > 0; ++row) {
        if (!selected[row])
            continue;
        TextEntry &entry = from.entries[from.rows.at(row)];
        to.entries.append(entry);
        if (result.move)
            entry.protectFlag = kRemovedMark;
        result.changed = true;
        --room;
    }
    if (!result.changed)
        return result;
    rebuildRows(result.destination);
    to.modified = true;
    if (result.move) {
        rebuildRows(source);
        from.modified = true;
    }
    return result;
}

std::array<bool, 4> GroupCopySession::buttonsEnabled(bool leftHasSelection,
                                                     bool rightHasSelection) const
{
    std::array<bool, 4> enabled{};
    if (groupRow(0) < 0 || groupRow(1) < 0 || groupNo(0) == groupNo(1))
        return enabled;
    enabled[0] = enabled[1] = leftHasSelection;
    enabled[2] = enabled[3] = rightHasSelection;
    return enabled;
}

bool GroupCopySession::save(int side)
{
    Side &s = m_sides[side];
    if (!s.modified || s.groupNo < 0)
        return true;
    QList<TextEntry> kept;
    kept.reserve(s.rows.size());
    for (int index : s.rows) {
        if (s.entries.at(index).protectFlag != kRemovedMark)
            kept.append(s.entries.at(index));
    }
    const QString path = m_paths.groupFile(s.groupNo);
    QString error;
    if (!saveGroupFile(path, m_paths.tempGroupFile(), kept, &error)) {
        m_report(QStringLiteral("The texts could not be saved to ") + path + QStringLiteral(": ") +
                 error);
        return false;
    }
    s.modified = false;
    return true;
}

bool GroupCopySession::saveAll()
{
    const bool left = save(0);
    const bool right = save(1);
    return left && right;
}

void GroupCopySession::selectGroup(int side, int row)
{
    m_sides[side].groupRow = row;
    m_sides[side].groupNo = m_groups.at(row).number;
}

void GroupCopySession::read(int side)
{
    Side &s = m_sides[side];
    s.entries.clear();
    s.rows.clear();
    s.modified = false;
    if (s.groupRow < 0 || s.groupNo < 0)
        return;
    const QString path = m_paths.groupFile(s.groupNo);
    GroupLoadResult loaded = loadGroupFile(path, m_report);
    if (loaded.status == GroupLoadResult::Status::Failed) {
        QString message = QStringLiteral("The file ") + path +
                          QStringLiteral(" could not be read whole: ") + loaded.error;
        if (!loaded.setAsidePath.isEmpty())
            message += QStringLiteral(". It was kept as ") + loaded.setAsidePath;
        m_report(message + QStringLiteral("."));
    }
    s.entries = std::move(loaded.entries);
    for (int index = 0; index < s.entries.size(); ++index)
        s.rows.append(index);
}

void GroupCopySession::rebuildRows(int side)
{
    Side &s = m_sides[side];
    s.rows.clear();
    for (int index = 0; index < s.entries.size(); ++index) {
        if (s.entries.at(index).protectFlag != kRemovedMark)
            s.rows.append(index);
    }
}
