#pragma once

#include <QLineEdit>

class QKeyEvent;

// The search field over a list: hidden until the user types on the list or
// presses Ctrl+F. Every change of its text is a new pattern; Esc empties and
// hides it; Enter and the keys that move through a list are handed to the list.
class SearchField : public QLineEdit
{
    Q_OBJECT

public:
    explicit SearchField(QWidget *parent = nullptr);

    // Whether a key typed on the list starts a search: a printable character
    // other than a blank, typed without Ctrl, Alt or Meta.
    static bool startsSearch(const QKeyEvent &event);
    // Whether a key pressed in the field belongs to the list instead.
    static bool belongsToList(const QKeyEvent &event);

    // Shows the field with the focus in it, typed added to what it holds.
    void open(const QString &typed = {});
    // Empties and hides it; emits closed() when it was open.
    void dismiss();

signals:
    void patternChanged(const QString &pattern);
    void closed();
    // Enter, or a key to move through the list, pressed in the field.
    void keyForList(QKeyEvent *event);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
