#pragma once

#include <QLoggingCategory>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QAbstractItemView;
class QWidget;

// Where a window's controls and its list's visible rows are on the screen, in
// global pixels, logged under "pastebasket.layout" (off unless QT_LOGGING_RULES
// has "pastebasket.layout.info=true"). A line is written a moment after the
// window is shown, moved or resized or the list's rows change:
//   layout: cobGroup=10,40,180x20 lblMenu=... lstText.0=12,64,186x15 lstText.1=...
// Tests that drive the real program with a mouse click by these rectangles, not
// by pixel positions guessed from the design.
Q_DECLARE_LOGGING_CATEGORY(lcLayout)

class LayoutLog : public QObject
{
public:
    // Does nothing while the category is off.
    LayoutLog(QWidget *window, QAbstractItemView *list, const QStringList &controlNames);

    // The line as logged now.
    QString line() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    QAbstractItemView *m_list;
    QStringList m_controlNames;
    QTimer m_delay; // lets the list lay out its rows first, and runs of changes log once
};
