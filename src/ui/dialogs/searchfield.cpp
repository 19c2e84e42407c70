#include "ui/dialogs/searchfield.h"

#include <QKeyEvent>

SearchField::SearchField(QWidget *parent)
    : QLineEdit(parent)
{
    setPlaceholderText(QStringLiteral("Search"));
    setClearButtonEnabled(true);
    setToolTip(QStringLiteral("show only the texts that hold this; Esc shows all again"));
    setVisible(false);
    connect(this, &QLineEdit::textChanged, this, &SearchField::patternChanged);
}

bool SearchField::startsSearch(const QKeyEvent &event)
{
    constexpr Qt::KeyboardModifiers commands =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (event.modifiers() & commands)
        return false;
    const QString text = event.text();
    return !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace();
}

bool SearchField::belongsToList(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

void SearchField::open(const QString &typed)
{
    if (!isVisible()) {
        show();
        setText(typed);
    } else {
        insert(typed);
    }
    // Not a reason that selects the whole text: the next key typed adds to it.
    setFocus(Qt::OtherFocusReason);
}

void SearchField::dismiss()
{
    const bool wasOpen = isVisible() || !text().isEmpty();
    clear();
    hide();
    if (wasOpen)
        emit closed();
}

void SearchField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        dismiss();
        return;
    }
    if (belongsToList(*event)) {
        emit keyForList(event);
        return;
    }
    QLineEdit::keyPressEvent(event);
}
