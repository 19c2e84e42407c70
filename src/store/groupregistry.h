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
    // as a group named after its number and "MaxGroupNo" becomes the highest N.
    bool ensureExists() const;

    // The groups in position order, up to the first blank position; a position
    // whose group has no name entry gives an empty name.
    QList<GroupInfo> groups() const;
    qint32 maxGroupNo() const;

    // A new group named name (already trimmed): "MaxGroupNo" + 1 becomes its number
    // and it is placed after order (the group numbers as the selector shows them,
    // default group first). Returns the number, or -1 when the write failed.
    qint32 addGroup(const QString &name, const QList<qint32> &order) const;
    bool renameGroup(qint32 number, const QString &name) const;
    // Removes the group's name and writes remainingOrder as the new order.
    bool removeGroup(qint32 number, const QList<qint32> &remainingOrder) const;
    // Rewrites the order section with exactly these numbers at positions 0, 1, ...
    // (callers put the default group first).
    bool writeOrder(const QList<qint32> &order) const;

    const QString &path() const { return m_path; }

private:
    QString m_path;
    QString m_dataFolder;
};

// The row of the start-up group in groups (as listed by the selector):
// StartupGroup 0 picks the first row whose number equals lastGroupNo (not
// negative), falling back to row 0; any other StartupGroup picks row 0.
int startupGroupRow(const QList<GroupInfo> &groups, double startupGroup, double lastGroupNo);
