#pragma once

#include <QtTest>
#include <QtWidgets>

// The object of this name below parent; the test ends when there is none.
template<typename T = QAbstractButton> T *child(const QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    return found ? found : (qFatal("no %s", name), nullptr);
}

// Leaves an open dialog by a button's name, "Esc" (pressed where the keyboard
// is) or "close" (the title bar's close box).
inline void leave(QWidget *dialog, const QString &how)
{
    QVERIFY(dialog->isVisible());
    QWidget *focus = QApplication::focusWidget();
    if (how == u"Esc")
        QTest::keyClick(focus && dialog->isAncestorOf(focus) ? focus : dialog, Qt::Key_Escape);
    else if (how == u"close")
        dialog->close();
    else
        QTest::mouseClick(child(dialog, qPrintable(how)), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
}
