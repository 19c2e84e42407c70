#pragma once

#include "store/groupregistry.h"

#include <QList>
#include <QString>

// One row of the order dialog's list. Name, number and selected state always
// move together.
struct OrderRow
{
    QString name;
    qint32 number = 0;
    bool selected = false;

    friend bool operator==(const OrderRow &, const OrderRow &) = default;
};

enum class MoveDirection
{
    Up,
    Down
};

// The rows to order: every listed group but the default group, which always
// stays first and is not offered.
QList<OrderRow> orderRowsFor(const QList<GroupInfo> &groups);

// Moves every selected row one place up or down. When the first selected row met
// from that end already stands at the end, nothing moves at all, so a block of
// selected rows keeps its shape. Returns whether anything moved.
bool moveSelectedRows(QList<OrderRow> &rows, MoveDirection direction);

// The order to write: the default group first, then the listed groups with a
// number above 0, top to bottom.
QList<qint32> orderToWrite(const QList<OrderRow> &rows);
