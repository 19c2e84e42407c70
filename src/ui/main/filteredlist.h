#pragma once

#include "ui/dialogs/textfilter.h"

#include <QItemSelectionModel>
#include <QList>
#include <QPersistentModelIndex>
#include <QSortFilterProxyModel>

class TextListModel;

// The rows of a TextListModel that hold a pattern, in their order. A new
// pattern re-filters in one pass (a model reset), so a keystroke costs one scan
// of the texts; rows added, changed or removed meanwhile are filtered as they come.
class TextFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit TextFilterModel(TextListModel &source, QObject *parent = nullptr);

    void setPattern(const QString &pattern);
    const TextFilter &filter() const { return m_filter; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    TextListModel &m_source;
    TextFilter m_filter;
};

// The main list as the window shows it: the filtered rows and their selection,
// kept in step with the selection of the whole list that the commands work on.
// While a pattern is set only shown rows stay selected in the whole list, so
// every command acts on the shown rows that are selected.
class FilteredList : public QObject
{
    Q_OBJECT

public:
    FilteredList(TextListModel &model, QItemSelectionModel &selection, QObject *parent = nullptr);

    TextFilterModel &viewModel() { return m_proxy; }
    QItemSelectionModel &viewSelection() { return m_viewSelection; }

    // A new pattern; the empty pattern shows every row. When no shown row is
    // selected afterwards, the first shown row is, so Enter takes the best guess.
    void setPattern(const QString &pattern);
    bool isFiltering() const { return m_proxy.filter().isActive(); }

    int shownCount() const { return m_proxy.rowCount(); }
    int totalCount() const;
    // "shown/total" while filtering, else the row count.
    QString counterText() const;

    // Called when the search opens and closes: a search that ends with nothing
    // selected gives back the selection it started from.
    void beginSearch();
    void endSearch();

signals:
    // The program (not the user) selected rows: the first one, to be scrolled to.
    void selectedByProgram(const QModelIndex &viewIndex);

private:
    void fromWhole(const QItemSelection &selected, const QItemSelection &deselected);
    void fromView(const QItemSelection &selected, const QItemSelection &deselected);
    // While filtering, drops the hidden rows from the whole list's selection.
    void dropHiddenSelection();
    void selectFirstShownIfNone();

    TextListModel &m_model;
    QItemSelectionModel &m_selection;
    TextFilterModel m_proxy;
    QItemSelectionModel m_viewSelection;
    QList<QPersistentModelIndex> m_selectionBeforeSearch;
    bool m_syncing = false;
};
