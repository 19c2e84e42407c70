#pragma once

#include "store/groupregistry.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QComboBox;

// The rows of a group selector: one per group in position order, then the row
// "*** Make a new group". Display role: the name; NumberRole: the group number
// (GroupRegistry::kNewGroupValue on the last row). The current row belongs to the
// model, so the group commands and the combo box showing the rows always agree.
class GroupSelectorModel : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int NumberRole = Qt::UserRole;

    explicit GroupSelectorModel(QObject *parent = nullptr);

    static QString newGroupText();

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    int count() const { return static_cast<int>(m_rows.size()); }
    qint32 numberAt(int row) const { return m_rows.at(row).number; }
    const QString &nameAt(int row) const { return m_rows.at(row).name; }

    // One row per group in this order, then the new-group row; no current row.
    void setGroups(const QList<GroupInfo> &groups);
    // Gives a row another name and number (a rename, or the new-group row
    // becoming the new group).
    void setRow(int row, const GroupInfo &group);
    void appendNewGroupRow();
    void removeRowAt(int row);

    // -1 when no row is current.
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    std::optional<qint32> currentNumber() const;

    // The first row carrying this number, which must not be negative; -1 if none.
    int findGroup(qint32 number) const;
    // The numbers of the group rows (those not negative), top to bottom: the
    // order the registry keeps.
    QList<qint32> groupOrder() const;

signals:
    void currentRowChanged(int row);

private:
    QList<GroupInfo> m_rows;
    int m_current = -1;
};

// Shows the model in the combo box and keeps both on the same current row. Only
// the user's choices reach onChosen; rows the program selects or rebuilds do not
// count as a choice.
void bindGroupSelector(QComboBox *combo, GroupSelectorModel *model,
                       std::function<void(int row)> onChosen);
