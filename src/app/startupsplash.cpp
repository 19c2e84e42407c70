#include "app/startupsplash.h"

#include "platform/appinfo.h"
#include "platform/screens.h"
#include "platform/twips.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QThread>
#include <QWindow>

#include <algorithm>

namespace {

constexpr int px(int twips)
{
    return Twips::designPixels(twips);
}

// The design, in twips.
constexpr int kClientWidth = 4320;
constexpr int kClientHeight = 1485;
const QRect kImageRect(px(120), px(60), px(360), px(360));
const QRect kTitleRect(px(60), px(480), px(3915), px(555));
const QRect kVersionRect(px(1140), px(960), px(2985), px(255));
const QRect kMsgRect(px(300), px(1140), px(3915), px(195));

constexpr int kMargin = 4;

QLabel *makeLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

StartUpSplash::StartUpSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , Image2(makeLabel(this, "Image2"))
    , lblTittle(makeLabel(this, "lblTittle"))
    , lblVersion(makeLabel(this, "lblVersion"))
    , lblMsg(makeLabel(this, "lblMsg"))
{
    setObjectName(QStringLiteral("frmStartUp"));
    setWindowTitle(AppInfo::kName.toString());

    // White with black text, whatever colours the desktop theme uses.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    const QIcon icon = QGuiApplication::windowIcon();
    if (!icon.isNull())
        Image2->setPixmap(icon.pixmap(kImageRect.size()));
    Image2->setGeometry(kImageRect);

    QFont titleFont = lblTittle->font();
    titleFont.setBold(true);
    titleFont.setPixelSize(24);
    lblTittle->setFont(titleFont);

    lblTittle->setText(AppInfo::kName.toString());
    lblVersion->setText(QStringLiteral("Version ") + AppInfo::kVersion.toString());
    lblMsg->setText(QString());
    layOut();
}

void StartUpSplash::setMsg(const QString &message)
{
    lblMsg->setText(message);
    layOut();
    lblMsg->repaint();
}

void StartUpSplash::layOut()
{
    int bottom = 0;
    int right = px(kClientWidth);
    for (const auto &[label, design] :
         {std::pair{lblTittle, kTitleRect}, std::pair{lblVersion, kVersionRect},
          std::pair{lblMsg, kMsgRect}}) {
        const QSize need = label->sizeHint();
        const int top = std::max(design.top(), bottom);
        label->setGeometry(design.left(), top, std::max(design.width(), need.width()),
                           std::max(need.height(), label->fontMetrics().height()));
        bottom = label->geometry().bottom() + 1;
        right = std::max(right, label->geometry().right() + 1 + kMargin);
    }
    const QSize size(right, std::max(px(kClientHeight), bottom + kMargin));
    if (size != this->size()) {
        setFixedSize(size);
        centreOnScreen();
    }
}

void StartUpSplash::centreOnScreen()
{
    const QRect area = Screens::availableArea(this);
    if (area.isEmpty())
        return;
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void StartUpSplash::showAndPaint()
{
    centreOnScreen();
    show();
    // The window system shows the window a moment later; until it has, a paint
    // reaches nothing. Wait briefly for that, without taking user input.
    const QDeadlineTimer deadline(300);
    while (windowHandle() && !windowHandle()->isExposed() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    repaint();
}
