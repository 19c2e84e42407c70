// The main window's search field and what the keyboard does on the list and on
// "Menu".
#include "ui/main/mainwindow.h"

#include "ui/dialogs/searchfield.h"
#include "ui/main/filteredlist.h"
#include "ui/main/listcommands.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QShortcut>

namespace {

bool isEnter(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
           mods == Qt::NoModifier;
}

} // namespace

void MainWindow::buildSearch()
{
    txtSearch = new SearchField(this);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
}

void MainWindow::connectSearch()
{
    connect(txtSearch, &SearchField::patternChanged, this, [this](const QString &pattern) {
        m_filtered->setPattern(pattern);
        refreshListState();
    });
    connect(txtSearch, &SearchField::closed, this, [this] {
        m_filtered->endSearch();
        refreshListState();
        lstText->setFocus(Qt::OtherFocusReason);
        lstText->scrollTo(lstText->currentIndex());
    });
    connect(txtSearch, &SearchField::keyForList, this, [this](QKeyEvent *event) {
        if (isEnter(*event))
            copyAsClicked();
        else
            QCoreApplication::sendEvent(lstText, event);
    });
    connect(m_filtered.get(), &FilteredList::selectedByProgram, this,
            [this](const QModelIndex &index) { lstText->scrollTo(index); });
    // Rows that come, go or change while filtered change the counter.
    TextFilterModel &shown = m_filtered->viewModel();
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&shown, signal, this, [this] { refreshListState(); });

    const auto shortcut = [this](const QKeySequence &keys, auto slot) {
        auto *s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::Find, [this] { openSearch(); });
    for (const QKeySequence &keys : {QKeySequence(Qt::ALT | Qt::Key_M), QKeySequence(Qt::Key_Menu),
                                     QKeySequence(Qt::SHIFT | Qt::Key_F10)})
        shortcut(keys, [this] { openPopupMenuUnderLabel(); });
}

void MainWindow::openSearch(const QString &typed)
{
    if (!txtSearch->isVisible())
        m_filtered->beginSearch();
    txtSearch->open(typed);
}

void MainWindow::closeSearch()
{
    txtSearch->dismiss();
}

bool MainWindow::isFiltering() const
{
    return m_filtered->isFiltering();
}

void MainWindow::copyAsClicked()
{
    m_listCommands->copySelectedText();
    refreshButtons();
}

bool MainWindow::listKeyPressed(QKeyEvent *event)
{
    if (isEnter(*event)) {
        copyAsClicked();
        return true;
    }
    // The list's own copy would take the shown line, cut and with "[cr]" marks.
    if (event->matches(QKeySequence::Copy)) {
        m_listCommands->copySelectedText();
        return true;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        m_listCommands->deleteSelected();
        return true;
    }
    if (event->key() == Qt::Key_Escape && txtSearch->isVisible()) {
        closeSearch();
        return true;
    }
    if (SearchField::startsSearch(*event)) {
        openSearch(event->text());
        return true;
    }
    return false;
}

bool MainWindow::menuLabelKeyPressed(QKeyEvent *event)
{
    if (isEnter(*event) || event->key() == Qt::Key_Space) {
        openPopupMenuUnderLabel();
        return true;
    }
    return false;
}

void MainWindow::openPopupMenuUnderLabel()
{
    openPopupMenu(lblMenu->mapToGlobal(QPoint(0, lblMenu->height())));
}
