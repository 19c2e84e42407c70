#include "ui/main/layoutlog.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QWidget>

Q_LOGGING_CATEGORY(lcLayout, "pastebasket.layout", QtWarningMsg)

namespace {

QString rectText(const QWidget *widget, const QRect &local)
{
    const QPoint topLeft = widget->mapToGlobal(local.topLeft());
    return QStringLiteral("%1,%2,%3x%4")
        .arg(topLeft.x())
        .arg(topLeft.y())
        .arg(local.width())
        .arg(local.height());
}

} // namespace

LayoutLog::LayoutLog(QWidget *window, QAbstractItemView *list, const QStringList &controlNames)
    : QObject(window)
    , m_window(window)
    , m_list(list)
    , m_controlNames(controlNames)
{
    if (!lcLayout().isInfoEnabled())
        return;
    m_delay.setSingleShot(true);
    m_delay.setInterval(50);
    connect(&m_delay, &QTimer::timeout, this, [this] {
        if (m_window->isVisible())
            qCInfo(lcLayout).noquote() << line();
    });
    window->installEventFilter(this);
    QAbstractItemModel *model = list->model();
    const auto later = [this] { m_delay.start(); };
    connect(model, &QAbstractItemModel::rowsInserted, this, later);
    connect(model, &QAbstractItemModel::rowsRemoved, this, later);
    connect(model, &QAbstractItemModel::rowsMoved, this, later);
    connect(model, &QAbstractItemModel::modelReset, this, later);
    connect(model, &QAbstractItemModel::layoutChanged, this, later);
}

QString LayoutLog::line() const
{
    QString text = QStringLiteral("layout:");
    for (const QString &name : m_controlNames) {
        if (const auto *control = m_window->findChild<QWidget *>(name))
            text += u' ' + name + u'=' + rectText(control, control->rect());
    }
    const QWidget *viewport = m_list->viewport();
    const QRect shown = viewport->rect();
    const QAbstractItemModel *model = m_list->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QRect rect = m_list->visualRect(model->index(row, 0)).intersected(shown);
        if (!rect.isEmpty())
            text += u' ' + m_list->objectName() + u'.' + QString::number(row) + u'=' +
                    rectText(viewport, rect);
    }
    return text;
}

bool LayoutLog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
            m_delay.start();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
