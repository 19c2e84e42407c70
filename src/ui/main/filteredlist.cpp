#include "ui/main/filteredlist.h"

#include "store/textlistmodel.h"

TextFilterModel::TextFilterModel(TextListModel &source, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_source(source)
{
    setSourceModel(&source);
}

void TextFilterModel::setPattern(const QString &pattern)
{
    if (pattern == m_filter.pattern())
        return;
    // One reset instead of a remove or insert signal per run of rows: the views
    // and selections then rebuild once.
    beginResetModel();
    m_filter = TextFilter(pattern);
    endResetModel();
}

bool TextFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    return m_filter.matches(m_source.entryAt(sourceRow));
}

FilteredList::FilteredList(TextListModel &model, QItemSelectionModel &selection, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_selection(selection)
    , m_proxy(model)
    , m_viewSelection(&m_proxy)
{
    connect(&m_selection, &QItemSelectionModel::selectionChanged, this, &FilteredList::fromWhole);
    connect(&m_viewSelection, &QItemSelectionModel::selectionChanged, this,
            &FilteredList::fromView);
}

int FilteredList::totalCount() const
{
    return m_model.count();
}

QString FilteredList::counterText() const
{
    if (!isFiltering())
        return QString::number(totalCount());
    return QString::number(shownCount()) + u'/' + QString::number(totalCount());
}

void FilteredList::setPattern(const QString &pattern)
{
    m_proxy.setPattern(pattern);
    // The reset emptied the view's selection: take it again from the whole
    // list, then drop what is hidden there.
    m_viewSelection.select(m_proxy.mapSelectionFromSource(m_selection.selection()),
                           QItemSelectionModel::ClearAndSelect);
    dropHiddenSelection();
    if (isFiltering())
        selectFirstShownIfNone();
    const QModelIndexList selected = m_viewSelection.selectedIndexes();
    if (!selected.isEmpty()) {
        QModelIndex first = selected.first();
        for (const QModelIndex &index : selected)
            first = index.row() < first.row() ? index : first;
        m_viewSelection.setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        emit selectedByProgram(first);
    }
}

void FilteredList::beginSearch()
{
    m_selectionBeforeSearch.clear();
    for (const QModelIndex &index : m_selection.selectedIndexes())
        m_selectionBeforeSearch.append(index);
}

void FilteredList::endSearch()
{
    setPattern(QString());
    if (!m_selection.hasSelection()) {
        for (const QPersistentModelIndex &index : std::as_const(m_selectionBeforeSearch)) {
            if (index.isValid())
                m_selection.select(index, QItemSelectionModel::Select);
        }
    }
    m_selectionBeforeSearch.clear();
}

void FilteredList::fromWhole(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (m_syncing)
        return;
    m_syncing = true;
    const QItemSelection shownDeselected = m_proxy.mapSelectionFromSource(deselected);
    const QItemSelection shownSelected = m_proxy.mapSelectionFromSource(selected);
    m_viewSelection.select(shownDeselected, QItemSelectionModel::Deselect);
    m_viewSelection.select(shownSelected, QItemSelectionModel::Select);
    m_syncing = false;
    dropHiddenSelection();
    if (!shownSelected.isEmpty()) {
        const QModelIndex first = shownSelected.first().topLeft();
        m_viewSelection.setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        emit selectedByProgram(first);
    }
}

void FilteredList::fromView(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (m_syncing)
        return;
    m_syncing = true;
    // Rows just removed map to nothing; the whole list has dropped them itself.
    m_selection.select(m_proxy.mapSelectionToSource(deselected), QItemSelectionModel::Deselect);
    m_selection.select(m_proxy.mapSelectionToSource(selected), QItemSelectionModel::Select);
    m_syncing = false;
}

void FilteredList::dropHiddenSelection()
{
    if (!isFiltering())
        return;
    QItemSelection hidden;
    for (const QModelIndex &index : m_selection.selectedIndexes()) {
        if (!m_proxy.mapFromSource(index).isValid())
            hidden.select(index, index);
    }
    if (hidden.isEmpty())
        return;
    m_syncing = true;
    m_selection.select(hidden, QItemSelectionModel::Deselect);
    m_syncing = false;
}

void FilteredList::selectFirstShownIfNone()
{
    if (m_viewSelection.hasSelection() || m_proxy.rowCount() == 0)
        return;
    m_viewSelection.select(m_proxy.index(0, 0), QItemSelectionModel::ClearAndSelect);
}
