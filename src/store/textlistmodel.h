#pragma once

#include "store/textentry.h"

#include <QAbstractListModel>
#include <QList>

class QItemSelectionModel;

// The texts of one group in memory: the array of entries (textData, slots 0 to
// textDataLast) and the rows shown, each row tagged with the slot it shows.
// Rows may leave slots behind (Delete keeps the slot), and the order of the rows,
// not of the slots, is the group's order. Display role: the row's line; TagRole:
// the slot. The selection lives in a QItemSelectionModel over this model.
class TextListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int TagRole = Qt::UserRole;

    explicit TextListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const QList<TextEntry> &textData() const { return m_entries; }
    qint32 textDataLast() const { return static_cast<qint32>(m_entries.size()) - 1; }
    int count() const { return static_cast<int>(m_rows.size()); }

    qint32 tagAt(int row) const { return m_rows.at(row).tag; }
    const TextEntry &entryAt(int row) const { return m_entries.at(m_rows.at(row).tag); }
    const QString &lineAt(int row) const { return m_rows.at(row).line; }

    // Replaces everything: one slot per entry in order, row k showing slot k.
    void loadEntries(QList<TextEntry> entries);
    // Erases the rows and the slots.
    void clearAll();
    // Appends a slot and a row at the bottom showing it; returns the new row.
    int appendEntry(const TextEntry &entry);
    // Changes the entry that a row shows and rewrites the row's line.
    void setEntryAt(int row, const TextEntry &entry);
    // Removes a row; its slot stays (it is no longer shown, searched or saved).
    void removeRowAt(int row);
    // Exchanges the lines and tags of two rows (the selection is the caller's).
    void swapRows(int a, int b);
    // The first row (from the top) whose entry's text equals text exactly; -1 if none.
    int findText(const QString &text) const;
    // The entries in row order: what a save writes.
    QList<TextEntry> entriesInRowOrder() const;

private:
    struct Row
    {
        qint32 tag;
        QString line;
    };
    QList<TextEntry> m_entries;
    QList<Row> m_rows;
};

// Selection helpers on a selection model over a TextListModel (or any list model).
namespace RowSelection {
// Afterwards exactly row r is selected; none when r is outside the rows.
void selectOnly(QItemSelectionModel *selection, int row);
bool isSelected(const QItemSelectionModel *selection, int row);
void setSelected(QItemSelectionModel *selection, int row, bool selected);
// Selected rows, top to bottom.
QList<int> selectedRows(const QItemSelectionModel *selection);
int selectedCount(const QItemSelectionModel *selection);
} // namespace RowSelection
