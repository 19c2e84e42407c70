#include "store/textlistmodel.h"

#include <QItemSelectionModel>

#include <algorithm>

TextListModel::TextListModel(QObject *parent)
    : QAbstractListModel(parent)
{}

int TextListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant TextListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return row.line;
    case TagRole:
        return row.tag;
    default:
        return {};
    }
}

void TextListModel::loadEntries(QList<TextEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_rows.clear();
    m_rows.reserve(m_entries.size());
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        m_rows.append(Row{static_cast<qint32>(i), makeListText(m_entries.at(i))});
    endResetModel();
}

void TextListModel::clearAll()
{
    beginResetModel();
    m_entries.clear();
    m_rows.clear();
    endResetModel();
}

int TextListModel::appendEntry(const TextEntry &entry)
{
    const int row = count();
    beginInsertRows({}, row, row);
    m_entries.append(entry);
    m_rows.append(Row{textDataLast(), makeListText(entry)});
    endInsertRows();
    return row;
}

void TextListModel::setEntryAt(int row, const TextEntry &entry)
{
    Row &r = m_rows[row];
    m_entries[r.tag] = entry;
    r.line = makeListText(entry);
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
}

void TextListModel::removeRowAt(int row)
{
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

void TextListModel::swapRows(int a, int b)
{
    if (a == b)
        return;
    std::swap(m_rows[a], m_rows[b]);
    const QModelIndex ia = index(a);
    const QModelIndex ib = index(b);
    emit dataChanged(ia, ia);
    emit dataChanged(ib, ib);
}

int TextListModel::findText(const QString &text) const
{
    for (int row = 0; row < count(); ++row) {
        if (m_entries.at(m_rows.at(row).tag).text == text)
            return row;
    }
    return -1;
}

QList<TextEntry> TextListModel::entriesInRowOrder() const
{
    QList<TextEntry> out;
    out.reserve(m_rows.size());
    for (const Row &row : m_rows)
        out.append(m_entries.at(row.tag));
    return out;
}

namespace RowSelection {

void selectOnly(QItemSelectionModel *selection, int row)
{
    const QAbstractItemModel *model = selection->model();
    if (row < 0 || row >= model->rowCount()) {
        selection->clearSelection();
        return;
    }
    selection->select(model->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

bool isSelected(const QItemSelectionModel *selection, int row)
{
    return selection->isSelected(selection->model()->index(row, 0));
}

void setSelected(QItemSelectionModel *selection, int row, bool selected)
{
    selection->select(selection->model()->index(row, 0),
                      selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

QList<int> selectedRows(const QItemSelectionModel *selection)
{
    QList<int> rows;
    const QModelIndexList indexes = selection->selectedIndexes();
    rows.reserve(indexes.size());
    for (const QModelIndex &i : indexes)
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int selectedCount(const QItemSelectionModel *selection)
{
    return static_cast<int>(selection->selectedIndexes().size());
}

} // namespace RowSelection
