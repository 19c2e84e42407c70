#pragma once

#include <QList>
#include <QString>

// The group registry Management.dat: which groups exist ("GroupNoName"), their
// order ("GroupNo", positions from 0 without gaps) and the highest number ever
// given out ("Management"/"MaxGroupNo"). Group 0, the default group, has an empty
// name and always stands first. Every change is one atomic write of the file.
struct GroupInfo
{
    qint32 number = 0;
    QString name;

    friend bool operator==(const GroupInfo &, const GroupInfo &) = default;
};

class GroupRegistry
{
public:
    static constexpr qint32 kDefaultGroup = 0;
    // Row value of the selector's last row, "*** Make a new group".
    static constexpr qint32 kNewGroupValue = -99;

    // registryPath: the Management.dat file; dataFolder: where group<N>.dat live.
    GroupRegistry(QString registryPath, QString dataFolder);

    // At first start (an empty "MaxGroupNo") writes the default group. When the
    // registry was lost but group files remain, each group<N>.dat is listed again
    // as a group named after its number and "MaxGroupNo" becomes at least the
    // highest N, so no number with a leftover file is given out again. The same
    // repair runs when position 0 is blank (no group would be listed at all);
    // positions and names still present are kept; so does a position 0 naming
    // another group (the default group is put first). False, with the reason in
    // *error, when the registry cannot be read (it is then left untouched) or the
    // write failed.
    bool ensureExists(QString *error = nullptr) const;

    // The groups in position order, up to the first blank position; a position
    // whose group has no name entry gives an empty name. The default group comes
    // first and once, wherever the positions put it. A registry that cannot be
    // read gives the default group alone, so that it can still be used.
    QList<GroupInfo> groups() const;
    qint32 maxGroupNo() const;

    // A new group named name (blanks around it are dropped): "MaxGroupNo" + 1
    // becomes its number, passing over a number that still has a name, a position
    // or a data file (as after a hand-edited "MaxGroupNo"); when no number above
    // "MaxGroupNo" is left, the lowest free one. It is placed after order (the
    // group numbers as the selector shows them). Returns the number, or -1 when
    // the write failed or no number is free.
    qint32 addGroup(const QString &name, const QList<qint32> &order) const;
    // False for the default group, whose name stays empty, and when the write failed.
    bool renameGroup(qint32 number, const QString &name) const;
    // Removes the group's name and writes remainingOrder as the new order. The
    // group's data file is the caller's. False for the default group.
    bool removeGroup(qint32 number, const QList<qint32> &remainingOrder) const;
    // Rewrites the order section with these numbers at positions 0, 1, ...: the
    // default group always first, negative numbers (the selector's new-group row)
    // and repeats left out.
    bool writeOrder(const QList<qint32> &order) const;

    const QString &path() const { return m_path; }

private:
    QString m_path;
    QString m_dataFolder;
};

// The row of the start-up group in groups (as listed by the selector), given the
// numbers of "StartupGroup" and "LastGroupNo": StartupGroup 0 picks the first row
// whose number equals lastGroupNo and is not negative, falling back to row 0; any
// other StartupGroup picks row 0.
int startupGroupRow(const QList<GroupInfo> &groups, double startupGroup, double lastGroupNo);
