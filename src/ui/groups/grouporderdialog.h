#pragma once

#include "ui/groups/grouporderlist.h"

#include <QDialog>

class GroupRegistry;
class Prompter;
class QListWidget;
class QPushButton;

// Lets the user reorder the groups (all but the default group). Nothing is
// written before "OK", which writes the whole new order at once; "Cancel", Esc
// and closing the window write nothing.
class GroupOrderDialog : public QDialog
{
    Q_OBJECT

public:
    GroupOrderDialog(const GroupRegistry &registry, Prompter &prompter, QWidget *parent = nullptr);

    // Shows the dialog modally; true when the new order was written.
    static bool ask(const GroupRegistry &registry, Prompter &prompter, QWidget *parent,
                    bool onTop = false);

    static QString writeFailedText();

private:
    void fillList(const QList<OrderRow> &rows);
    QList<OrderRow> rowsShown() const;
    void move(MoveDirection direction);
    void confirm();

    const GroupRegistry &m_registry;
    Prompter &m_prompter;
    QListWidget *lstGroup;
    QPushButton *btnUp;
    QPushButton *btnDown;
    QPushButton *btnOK;
    QPushButton *btnCancel;
};
