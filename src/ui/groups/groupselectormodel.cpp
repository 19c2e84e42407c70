#include "ui/groups/groupselectormodel.h"

#include <QComboBox>

GroupSelectorModel::GroupSelectorModel(QObject *parent)
    : QAbstractListModel(parent)
{}

QString GroupSelectorModel::newGroupText()
{
    return QStringLiteral("*** Make a new group");
}

int GroupSelectorModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant GroupSelectorModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const GroupInfo &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return row.name;
    case NumberRole:
        return row.number;
    default:
        return {};
    }
}

void GroupSelectorModel::setGroups(const QList<GroupInfo> &groups)
{
    beginResetModel();
    m_rows = groups;
    m_rows.append(GroupInfo{GroupRegistry::kNewGroupValue, newGroupText()});
    m_current = -1;
    endResetModel();
    emit currentRowChanged(m_current);
}

void GroupSelectorModel::setRow(int row, const GroupInfo &group)
{
    m_rows[row] = group;
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
}

void GroupSelectorModel::appendNewGroupRow()
{
    const int row = count();
    beginInsertRows({}, row, row);
    m_rows.append(GroupInfo{GroupRegistry::kNewGroupValue, newGroupText()});
    endInsertRows();
}

void GroupSelectorModel::removeRowAt(int row)
{
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    const int before = m_current;
    if (m_current == row)
        m_current = -1;
    else if (m_current > row)
        --m_current;
    endRemoveRows();
    if (m_current != before)
        emit currentRowChanged(m_current);
}

void GroupSelectorModel::setCurrentRow(int row)
{
    if (row < -1 || row >= count())
        row = -1;
    if (row == m_current)
        return;
    m_current = row;
    emit currentRowChanged(m_current);
}

std::optional<qint32> GroupSelectorModel::currentNumber() const
{
    if (m_current < 0)
        return std::nullopt;
    return numberAt(m_current);
}

int GroupSelectorModel::findGroup(qint32 number) const
{
    if (number < 0)
        return -1;
    for (int row = 0; row < count(); ++row) {
        if (numberAt(row) == number)
            return row;
    }
    return -1;
}

QList<qint32> GroupSelectorModel::groupOrder() const
{
    QList<qint32> order;
    for (const GroupInfo &row : m_rows) {
        if (row.number >= 0)
            order.append(row.number);
    }
    return order;
}

void bindGroupSelector(QComboBox *combo, GroupSelectorModel *model,
                       std::function<void(int row)> onChosen)
{
    combo->setModel(model);
    // The combo box moves its own current row when rows are reset, inserted or
    // removed; the model's current row is the one that counts.
    const auto follow = [combo, model] {
        if (combo->currentIndex() != model->currentRow())
            combo->setCurrentIndex(model->currentRow());
    };
    follow();
    QObject::connect(model, &GroupSelectorModel::currentRowChanged, combo, follow);
    QObject::connect(model, &QAbstractItemModel::modelReset, combo, follow);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, combo, follow);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, combo, follow);
    QObject::connect(combo, &QComboBox::activated, combo,
                     [onChosen = std::move(onChosen)](int row) { onChosen(row); });
}
