#pragma once

#include "store/textentry.h"

#include <QAbstractListModel>
#include <QList>

class QItemSelectionModel;

// The texts of one group in memory, one row per entry, in the group's order.
// Display role: the row's line. The selection lives in a QItemSelectionModel
// over this model. A deleted row's entry is gone at once.
//
// The model knows whether the group changed since it was last loaded or saved:
// every change of an entry or of the rows sets the flag, loading clears it, and
// the one who saves clears it after a save.
class TextListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit TextListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    int count() const { return static_cast<int>(m_entries.size()); }
    const TextEntry &entryAt(int row) const { return m_entries.at(row); }
    // The entries in row order: what a save writes.
    const QList<TextEntry> &entriesInRowOrder() const { return m_entries; }

    // Replaces everything with the group as read from its file: unchanged.
    void loadEntries(QList<TextEntry> entries);
    // Replaces every row with these entries (Clear): a change.
    void replaceEntries(QList<TextEntry> entries);
    // Removes every row: unchanged, as an empty group just loaded.
    void clearAll();
    // Appends a row at the bottom; returns the new row.
    int appendEntry(const TextEntry &entry);
    // Changes the entry of a row and rewrites the row's line.
    void setEntryAt(int row, const TextEntry &entry);
    // Removes a row and its entry.
    void removeRowAt(int row);
    // Exchanges two rows (the selection is the caller's).
    void swapRows(int a, int b);
    // The first row (from the top) whose entry's text equals text exactly; -1 if none.
    int findText(const QString &text) const;

    // Changed since the last load, or since setModified(false) after a save.
    bool isModified() const { return m_modified; }
    void setModified(bool modified);

signals:
    void modifiedChanged(bool modified);

private:
    QList<TextEntry> m_entries;
    QList<QString> m_lines; // the line each row shows, made once per change
    bool m_modified = false;
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
