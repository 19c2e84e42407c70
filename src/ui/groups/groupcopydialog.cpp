#include "ui/groups/groupcopydialog.h"

#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/prompter.h"
#include "ui/dialogs/searchfield.h"
#include "ui/dialogs/textfilter.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
// Reading and writing group files can take a moment with long lists.
using DialogSupport::BusyCursor;

QString indexed(const char *name, int index)
{
    return QLatin1String(name) + QLatin1Char('_') + QString::number(index);
}

} // namespace

GroupCopyDialog::GroupCopyDialog(const AppPaths &paths, qint32 mainGroupNo, Prompter &prompter,
                                 QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , m_prompter(prompter)
    , m_session(paths, [this](const QString &message) {
        m_prompter.message(message, Prompter::systemErrorTitle(), Prompter::Buttons::Ok);
    })
{
    setObjectName(QStringLiteral("frmGroupCopy"));
    setWindowTitle(QStringLiteral("between Groups - Copy or Move"));
    buildLayout();
    {
        BusyCursor busy;
        m_session.open(mainGroupNo);
    }
    fillSelectors();
    showList(0);
    showList(1);
    showCounters();
    updateButtons();
    // Connected only now: setting up the selectors is not a choice of group.
    for (int side = 0; side < 2; ++side) {
        connect(cobGroup[side], &QComboBox::currentIndexChanged, this,
                [this, side](int row) { groupChosen(side, row); });
    }
}

void GroupCopyDialog::run(const AppPaths &paths, qint32 mainGroupNo, Prompter &prompter,
                          QWidget *parent, bool onTop)
{
    GroupCopyDialog dialog(paths, mainGroupNo, prompter, parent);
    if (onTop)
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    dialog.exec();
}

QString GroupCopyDialog::closeAnywayText()
{
    return QStringLiteral("Not every change could be saved. Close anyway and lose the changes "
                          "that were not saved?");
}

void GroupCopyDialog::buildLayout()
{
    static const char *const captions[] = {"Copy =>", "Move =>", "<= Copy", "<= Move"};
    for (int i = 0; i < 4; ++i) {
        btnCopyMove[i] = new QPushButton(QLatin1String(captions[i]), this);
        btnCopyMove[i]->setObjectName(indexed("btnCopyMove", i));
        btnCopyMove[i]->setAutoDefault(false);
        btnCopyMove[i]->setMinimumWidth(90);
        const auto button = static_cast<CopyButton>(i);
        connect(btnCopyMove[i], &QPushButton::clicked, this, [this, button] { transfer(button); });
    }
    btnOK = new QPushButton(QStringLiteral("Close"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAutoDefault(false);
    btnOK->setMinimumWidth(90);
    connect(btnOK, &QPushButton::clicked, this, [this] { finish(QDialog::Accepted); });

    auto *layout = new QGridLayout(this);
    for (int side = 0; side < 2; ++side) {
        cobGroup[side] = new QComboBox(this);
        cobGroup[side]->setObjectName(indexed("cobGroup", side));
        lstText[side] = new QListWidget(this);
        lstText[side]->setObjectName(indexed("lstText", side));
        lstText[side]->setSelectionMode(QAbstractItemView::ExtendedSelection);
        lstText[side]->setFont(DialogSupport::listFont());
        lstText[side]->setMinimumSize(300, 360);
        lstText[side]->viewport()->installEventFilter(this);
        lstText[side]->installEventFilter(this); // its keys
        lblListCounter[side] = new QLabel(QStringLiteral("0"), this);
        lblListCounter[side]->setObjectName(indexed("lblListCounter", side));
        lblListCounter[side]->setToolTip(QStringLiteral("counter of list"));
        txtSearch[side] = new SearchField(this);
        txtSearch[side]->setObjectName(indexed("txtSearch", side));
        // A new pattern may hide selected rows: the buttons follow.
        const auto filterSide = [this, side] {
            applyFilter(side);
            showCounters();
            updateButtons();
        };
        connect(txtSearch[side], &SearchField::patternChanged, this, filterSide);
        connect(txtSearch[side], &SearchField::closed, this, [this, side, filterSide] {
            filterSide();
            lstText[side]->setFocus(Qt::OtherFocusReason);
            lstText[side]->scrollTo(lstText[side]->currentIndex());
        });
        connect(txtSearch[side], &SearchField::keyForList, this,
                [this, side](QKeyEvent *event) { QApplication::sendEvent(lstText[side], event); });

        const int column = side * 2;
        layout->addWidget(cobGroup[side], 0, column);
        layout->addWidget(txtSearch[side], 1, column);
        layout->addWidget(lstText[side], 2, column);
        layout->addWidget(lblListCounter[side], 3, column);
        layout->setColumnStretch(column, 1);
        setTabOrder(cobGroup[side], txtSearch[side]);
        setTabOrder(txtSearch[side], lstText[side]);
    }

    auto *buttons = new QVBoxLayout;
    buttons->addStretch(2);
    buttons->addWidget(btnCopyMove[0]);
    buttons->addWidget(btnCopyMove[1]);
    buttons->addSpacing(28);
    buttons->addWidget(btnCopyMove[2]);
    buttons->addWidget(btnCopyMove[3]);
    buttons->addStretch(3);
    layout->addLayout(buttons, 2, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnOK);
    layout->addLayout(bottom, 4, 0, 1, 3);
}

void GroupCopyDialog::fillSelectors()
{
    for (int side = 0; side < 2; ++side) {
        QComboBox *combo = cobGroup[side];
        combo->clear();
        for (const GroupInfo &group : m_session.groups())
            combo->addItem(group.name, group.number);
        combo->setCurrentIndex(m_session.groupRow(side));
    }
}

void GroupCopyDialog::showList(int side)
{
    QListWidget *list = lstText[side];
    list->clear();
    list->addItems(m_session.lines(side));
    applyFilter(side);
}

void GroupCopyDialog::applyFilter(int side)
{
    QListWidget *list = lstText[side];
    const TextFilter filter(txtSearch[side]->text());
    for (int row = 0; row < list->count(); ++row) {
        const bool hidden = !filter.matches(m_session.entryAtRow(side, row));
        if (list->isRowHidden(row) != hidden)
            list->setRowHidden(row, hidden);
        // A hidden row is never acted upon.
        if (hidden && list->item(row)->isSelected())
            list->item(row)->setSelected(false);
    }
}

QList<int> GroupCopyDialog::shownSelectedRows(int side) const
{
    const QListWidget *list = lstText[side];
    QList<int> rows;
    const QModelIndexList indexes = list->selectionModel()->selectedRows();
    for (const QModelIndex &index : indexes) {
        if (!list->isRowHidden(index.row()))
            rows.append(index.row());
    }
    return rows;
}

bool GroupCopyDialog::listKeyPressed(int side, QKeyEvent *event)
{
    if (event->matches(QKeySequence::Find)) {
        txtSearch[side]->open();
        return true;
    }
    if (event->key() == Qt::Key_Escape && txtSearch[side]->isVisible()) {
        txtSearch[side]->dismiss();
        return true;
    }
    if (SearchField::startsSearch(*event)) {
        txtSearch[side]->open(event->text());
        return true;
    }
    return false;
}

void GroupCopyDialog::showCounters()
{
    for (int side = 0; side < 2; ++side) {
        const int rows = lstText[side]->count();
        QString text = QString::number(rows);
        if (!txtSearch[side]->text().isEmpty()) {
            int shown = 0;
            for (int row = 0; row < rows; ++row)
                shown += lstText[side]->isRowHidden(row) ? 0 : 1;
            text = QString::number(shown) + u'/' + text;
        }
        lblListCounter[side]->setText(text);
        DialogSupport::showCounterWarning(lblListCounter[side], counterIsWarning(rows));
    }
}

void GroupCopyDialog::updateButtons()
{
    const std::array<bool, 4> enabled =
        m_session.buttonsEnabled(!shownSelectedRows(0).isEmpty(), !shownSelectedRows(1).isEmpty());
    for (int i = 0; i < 4; ++i)
        btnCopyMove[i]->setEnabled(enabled[i]);
}

void GroupCopyDialog::groupChosen(int side, int row)
{
    bool chosen = false;
    {
        BusyCursor busy;
        chosen = m_session.chooseGroup(side, row);
    }
    if (!chosen) {
        // The side keeps its group and the changes that could not be saved.
        const QSignalBlocker blocker(cobGroup[side]);
        cobGroup[side]->setCurrentIndex(m_session.groupRow(side));
    } else {
        showList(side);
    }
    showCounters();
    updateButtons();
}

void GroupCopyDialog::transfer(CopyButton button)
{
    const int source = static_cast<int>(button) < 2 ? 0 : 1;
    const GroupCopySession::Transfer done = m_session.transfer(button, shownSelectedRows(source));
    if (done.changed) {
        showList(done.destination);
        QListWidget *destination = lstText[done.destination];
        destination->setCurrentRow(destination->count() - 1, QItemSelectionModel::NoUpdate);
        if (done.move)
            showList(source);
    }
    showCounters();
}

bool GroupCopyDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        for (int side = 0; side < 2; ++side) {
            if (watched == lstText[side] && listKeyPressed(side, static_cast<QKeyEvent *>(event)))
                return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == lstText[0]->viewport() || watched == lstText[1]->viewport())) {
        // After the list has handled the release, which may change its selection.
        QMetaObject::invokeMethod(this, &GroupCopyDialog::updateButtons, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void GroupCopyDialog::reject()
{
    finish(QDialog::Rejected);
}

void GroupCopyDialog::finish(int result)
{
    bool saved = false;
    {
        BusyCursor busy;
        saved = m_session.saveAll();
    }
    if (!saved && m_prompter.message(closeAnywayText(), Prompter::systemErrorTitle(),
                                     Prompter::Buttons::OkCancel) != Prompter::Answer::Ok)
        return;
    done(result);
}
