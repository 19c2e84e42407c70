#pragma once

#include "platform/paths.h"
#include "store/groupfile.h"
#include "store/groupregistry.h"
#include "store/textentry.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

// The four transfer buttons, in their order on screen.
enum class CopyButton
{
    CopyRight = 0,
    MoveRight = 1,
    CopyLeft = 2,
    MoveLeft = 3
};

// Two groups side by side (side 0 left, side 1 right), each read from its file,
// and the copies and moves between them. A move only marks the source entry as
// moved away, beside the entry (whose fields, any flag value included, stay as
// read): such an entry is left out of the list at the next rebuild and is never
// written. A side changed by a copy or move is written
// back whenever either side's group changes and when the dialog closes; a side
// whose save failed stays changed and is tried again at the next of these.
class GroupCopySession
{
public:
    using MessageReporter = std::function<void(const QString &message)>;

    // report shows a message titled "System error" (unreadable values and files,
    // failed saves).
    GroupCopySession(const AppPaths &paths, MessageReporter report);

    // Lists the registry's groups for both sides; the left side shows the first,
    // the right side mainGroupNo's group (the first when it is not listed).
    void open(qint32 mainGroupNo);

    const QList<GroupInfo> &groups() const { return m_groups; }
    // The selector row of the side's group; -1 when there is none.
    int groupRow(int side) const { return m_sides.at(side).groupRow; }
    qint32 groupNo(int side) const { return m_sides.at(side).groupNo; }
    bool isModified(int side) const { return m_sides.at(side).modified; }

    int rowCount(int side) const { return static_cast<int>(m_sides.at(side).rows.size()); }
    const TextEntry &entryAtRow(int side, int row) const;
    QStringList lines(int side) const;

    // Saves every changed side, then shows the group of this selector row on the
    // side. False, leaving the side as it was, when the side's own changes could
    // not be saved: reading the new group would drop them.
    bool chooseGroup(int side, int row);

    struct Transfer
    {
        bool changed = false;
        int destination = 0;
        bool move = false;
    };
    // Copies or moves the selected source rows (any order) to the bottom of the
    // other side, top to bottom, while the destination has fewer than
    // kMaxListRows rows; rows beyond that stay where they are.
    Transfer transfer(CopyButton button, const QList<int> &selectedSourceRows);

    // Which of the four buttons may be pressed, given whether each side's list
    // has a selected row. None while both sides show the same group.
    std::array<bool, 4> buttonsEnabled(bool leftHasSelection, bool rightHasSelection) const;

    // Writes the side if it is changed; true when nothing is left unsaved.
    bool save(int side);
    // Saves both sides; true when nothing is left unsaved.
    bool saveAll();

private:
    struct Side
    {
        QList<TextEntry> entries;
        std::vector<bool> movedAway; // per entry: moved to the other side, not to be saved
        QList<int> rows;             // the entry index each list row shows
        qint32 groupNo = -1;
        int groupRow = -1;
        bool modified = false;
    };

    void selectGroup(int side, int row);
    void read(int side);
    void rebuildRows(int side);

    AppPaths m_paths;
    MessageReporter m_report;
    QList<GroupInfo> m_groups;
    std::array<Side, 2> m_sides;
};
