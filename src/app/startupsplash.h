#pragma once

#include <QWidget>

class QLabel;

// frmStartUp: the small borderless window shown while the program loads its data.
class StartUpSplash : public QWidget
{
    Q_OBJECT

public:
    explicit StartUpSplash(QWidget *parent = nullptr);

    // Shows the message and paints it at once, since the caller goes on to keep
    // the thread busy and no event would paint it meanwhile.
    void setMsg(const QString &message);

    // Shows the window centred on the screen and paints it before returning.
    void showAndPaint();

    QLabel *Image2;
    QLabel *lblTittle;
    QLabel *lblVersion;
    QLabel *lblMsg;

private:
    // Places the labels at their design positions, grown where the fonts need
    // more room and moved down so that none covers another; the window grows
    // with them when it must.
    void layOut();
    void centreOnScreen();
};
