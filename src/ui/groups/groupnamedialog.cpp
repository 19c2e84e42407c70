#include "ui/groups/groupnamedialog.h"

#include "settings/number.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

GroupNameDialog::GroupNameDialog(const QString &name, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , txtGroupName(new QLineEdit(name, this))
    , btnOK(new QPushButton(QStringLiteral("OK"), this))
    , btnCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmGroupName"));
    setWindowTitle(QStringLiteral("Group Name"));
    txtGroupName->setObjectName(QStringLiteral("txtGroupName"));
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // Enter confirms nothing here; only a click on OK does.
    btnOK->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    txtGroupName->setMinimumWidth(265);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    for (QPushButton *button : {btnOK, btnCancel})
        button->setMinimumWidth(97);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 20, 16, 12);
    layout->setSpacing(14);
    layout->addWidget(txtGroupName);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<QString> GroupNameDialog::name() const
{
    if (result() != QDialog::Accepted)
        return std::nullopt;
    return trimBlanks(txtGroupName->text());
}

std::optional<QString> GroupNameDialog::ask(const QString &name, QWidget *parent, bool onTop)
{
    GroupNameDialog dialog(name, parent);
    if (onTop)
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    dialog.exec();
    return dialog.name();
}

void GroupNameDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The whole name is selected, ready to be typed over.
    txtGroupName->setFocus(Qt::TabFocusReason);
    txtGroupName->selectAll();
}
