#include "ui/groups/grouporderlist.h"

#include <utility>

QList<OrderRow> orderRowsFor(const QList<GroupInfo> &groups)
{
    QList<OrderRow> rows;
    for (const GroupInfo &group : groups) {
        if (group.number != GroupRegistry::kDefaultGroup)
            rows.append(OrderRow{group.name, group.number, false});
    }
    return rows;
}

bool moveSelectedRows(QList<OrderRow> &rows, MoveDirection direction)
{
    const qsizetype count = rows.size();
    bool moved = false;
    if (direction == MoveDirection::Up) {
        for (qsizetype i = 0; i < count; ++i) {
            if (!rows.at(i).selected)
                continue;
            if (i == 0)
                return false;
            std::swap(rows[i - 1], rows[i]);
            moved = true;
        }
    } else {
        for (qsizetype i = count - 1; i >= 0; --i) {
            if (!rows.at(i).selected)
                continue;
            if (i == count - 1)
                return false;
            std::swap(rows[i], rows[i + 1]);
            moved = true;
        }
    }
    return moved;
}

QList<qint32> orderToWrite(const QList<OrderRow> &rows)
{
    QList<qint32> order{GroupRegistry::kDefaultGroup};
    for (const OrderRow &row : rows) {
        if (row.number > 0)
            order.append(row.number);
    }
    return order;
}
