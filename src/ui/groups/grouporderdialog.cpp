#include "ui/groups/grouporderdialog.h"

#include "store/groupregistry.h"
#include "ui/dialogs/prompter.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
constexpr int kNumberRole = Qt::UserRole;
} // namespace

GroupOrderDialog::GroupOrderDialog(const GroupRegistry &registry, Prompter &prompter,
                                   QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , m_registry(registry)
    , m_prompter(prompter)
    , lstGroup(new QListWidget(this))
    , btnUp(new QPushButton(this))
    , btnDown(new QPushButton(this))
    , btnOK(new QPushButton(QStringLiteral("OK"), this))
    , btnCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmGroupOrder"));
    setWindowTitle(QStringLiteral("Order of Groups"));
    lstGroup->setObjectName(QStringLiteral("lstGroup"));
    btnUp->setObjectName(QStringLiteral("btnUp"));
    btnDown->setObjectName(QStringLiteral("btnDown"));
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    lstGroup->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstGroup->setMinimumSize(220, 240);
    btnUp->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    btnDown->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    btnUp->setToolTip(QStringLiteral("Up"));
    btnDown->setToolTip(QStringLiteral("Down"));
    for (QPushButton *button : {btnUp, btnDown, btnOK, btnCancel})
        button->setAutoDefault(false);
    for (QPushButton *arrow : {btnUp, btnDown}) {
        arrow->setIconSize(QSize(20, 20));
        arrow->setFixedSize(32, 32);
    }
    btnOK->setMinimumWidth(90);
    btnCancel->setMinimumWidth(90);

    auto *arrows = new QVBoxLayout;
    arrows->addWidget(btnUp);
    arrows->addWidget(btnDown);
    arrows->addStretch();

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addStretch();

    auto *layout = new QGridLayout(this);
    layout->addWidget(lstGroup, 0, 0);
    layout->addLayout(arrows, 0, 1);
    layout->addLayout(buttons, 1, 0, 1, 2);

    connect(btnUp, &QPushButton::clicked, this, [this] { move(MoveDirection::Up); });
    connect(btnDown, &QPushButton::clicked, this, [this] { move(MoveDirection::Down); });
    connect(btnOK, &QPushButton::clicked, this, &GroupOrderDialog::confirm);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    fillList(orderRowsFor(m_registry.groups()));
}

bool GroupOrderDialog::ask(const GroupRegistry &registry, Prompter &prompter, QWidget *parent,
                           bool onTop)
{
    GroupOrderDialog dialog(registry, prompter, parent);
    if (onTop)
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return dialog.exec() == QDialog::Accepted;
}

QString GroupOrderDialog::writeFailedText()
{
    return QStringLiteral("The new order of the groups could not be written.");
}

void GroupOrderDialog::fillList(const QList<OrderRow> &rows)
{
    lstGroup->clear();
    for (const OrderRow &row : rows) {
        auto *item = new QListWidgetItem(row.name, lstGroup);
        item->setData(kNumberRole, row.number);
        item->setSelected(row.selected);
    }
    // The keyboard carries on from the first selected row.
    for (int i = 0; i < lstGroup->count(); ++i) {
        if (lstGroup->item(i)->isSelected()) {
            lstGroup->setCurrentRow(i, QItemSelectionModel::NoUpdate);
            break;
        }
    }
}

QList<OrderRow> GroupOrderDialog::rowsShown() const
{
    QList<OrderRow> rows;
    for (int i = 0; i < lstGroup->count(); ++i) {
        const QListWidgetItem *item = lstGroup->item(i);
        rows.append(OrderRow{item->text(), item->data(kNumberRole).toInt(), item->isSelected()});
    }
    return rows;
}

void GroupOrderDialog::move(MoveDirection direction)
{
    QList<OrderRow> rows = rowsShown();
    if (moveSelectedRows(rows, direction))
        fillList(rows);
}

void GroupOrderDialog::confirm()
{
    if (!m_registry.writeOrder(orderToWrite(rowsShown()))) {
        m_prompter.message(writeFailedText(), Prompter::systemErrorTitle(), Prompter::Buttons::Ok);
        return;
    }
    accept();
}
