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
    if (!index.isValid() || index.row() >= count() || role != Qt::DisplayRole)
        return {};
    return m_lines.at(index.row());
}

void TextListModel::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void TextListModel::loadEntries(QList<TextEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_lines.clear();
    m_lines.reserve(m_entries.size());
    for (const TextEntry &entry : std::as_const(m_entries))
        m_lines.append(makeListText(entry));
    endResetModel();
    setModified(false);
}

void TextListModel::replaceEntries(QList<TextEntry> entries)
{
    loadEntries(std::move(entries));
    setModified(true);
}

void TextListModel::clearAll()
{
    loadEntries({});
}

int TextListModel::appendEntry(const TextEntry &entry)
{
    const int row = count();
    beginInsertRows({}, row, row);
    m_entries.append(entry);
    m_lines.append(makeListText(entry));
    endInsertRows();
    setModified(true);
    return row;
}

void TextListModel::setEntryAt(int row, const TextEntry &entry)
{
    // Editing a text into itself changes nothing to save.
    if (m_entries.at(row) == entry)
        return;
    m_entries[row] = entry;
    m_lines[row] = makeListText(entry);
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
    setModified(true);
}

void TextListModel::removeRowAt(int row)
{
    beginRemoveRows({}, row, row);
    m_entries.removeAt(row);
    m_lines.removeAt(row);
    endRemoveRows();
    setModified(true);
}

void TextListModel::swapRows(int a, int b)
{
    if (a == b)
        return;
    m_entries.swapItemsAt(a, b);
    m_lines.swapItemsAt(a, b);
    const QModelIndex ia = index(a);
    const QModelIndex ib = index(b);
    emit dataChanged(ia, ia);
    emit dataChanged(ib, ib);
    setModified(true);
}

int TextListModel::findText(const QString &text) const
{
    for (int row = 0; row < count(); ++row) {
        if (m_entries.at(row).text == text)
            return row;
    }
    return -1;
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
