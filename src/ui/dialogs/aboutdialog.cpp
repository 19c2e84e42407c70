#include "ui/dialogs/aboutdialog.h"

#include "platform/appinfo.h"
#include "platform/clipboard.h"
#include "settings/number.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/prompter.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

#include <utility>

namespace {
// Design sizes in pixels (15 twips each).
constexpr QSize kDesignClient{413, 161};
constexpr QSize kButtonSize{97, 25};
constexpr int kIconSize = 32;
constexpr int kAppNamePointSize = 18;

QLabel *makeLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

void makeBold(QLabel *label, int pointSize = 0)
{
    QFont font = label->font();
    font.setBold(true);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    label->setFont(font);
}
} // namespace

AboutDialog::AboutDialog(QWidget *owner, ClipboardAccess &clipboard, Prompter &prompter,
                         bool topMost, UrlOpener opener)
    : QDialog(owner)
    , m_clipboard(clipboard)
    , m_prompter(prompter)
    , m_opener(std::move(opener))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + AppInfo::kName);
    DialogSupport::setTopMost(this, topMost);
    buildControls();
    DialogSupport::fixSize(this, kDesignClient);
}

void AboutDialog::buildControls()
{
    imgThisIcon = new QLabel(this);
    imgThisIcon->setObjectName(QStringLiteral("imgThisIcon"));
    imgThisIcon->setFixedSize(kIconSize, kIconSize);
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        imgThisIcon->setPixmap(icon.pixmap(kIconSize, kIconSize));

    lblAppName = makeLabel("lblAppName", AppInfo::kName.toString(), this);
    makeBold(lblAppName, kAppNamePointSize);
    lblVersion = makeLabel("lblVersion", QStringLiteral("ver.") + AppInfo::kVersion, this);
    makeBold(lblVersion);

    Label6 = makeLabel("Label6", AppInfo::kMaker + QStringLiteral(" URL: "), this);
    lblURL = makeLabel("lblURL", AppInfo::kWebUrl.toString(), this);
    lblURL->setForegroundRole(QPalette::Link); // follows the theme, dark ones too
    lblURL->setCursor(Qt::PointingHandCursor);
    lblURL->installEventFilter(this);
    Label4 = makeLabel("Label4", QStringLiteral("email: "), this);
    lblEmail = makeLabel("lblEmail", AppInfo::kEmail.toString(), this);

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setMinimumSize(kButtonSize);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(4);
    grid->addWidget(imgThisIcon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(lblAppName, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    auto *addresses = new QGridLayout;
    addresses->setHorizontalSpacing(0);
    addresses->addWidget(Label6, 0, 0, Qt::AlignRight);
    addresses->addWidget(lblURL, 0, 1, Qt::AlignLeft);
    addresses->addWidget(Label4, 1, 0, Qt::AlignRight);
    addresses->addWidget(lblEmail, 1, 1, Qt::AlignLeft);
    addresses->setColumnStretch(1, 1);
    grid->addLayout(addresses, 2, 1);
    grid->setRowMinimumHeight(2, 2 * lblURL->sizeHint().height() + 12);
    grid->addWidget(btnOk, 3, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    // The about box is the one dialog where Enter presses OK.
    DialogSupport::clearDefaultButtons(this);
    btnOk->setDefault(true);
    btnOk->setFocus();
    connect(btnOk, &QPushButton::clicked, this, &AboutDialog::accept);
}

void AboutDialog::showModal(QWidget *owner, ClipboardAccess &clipboard, Prompter &prompter,
                            bool topMost)
{
    AboutDialog(owner, clipboard, prompter, topMost).exec();
}

void AboutDialog::openWebAddress()
{
    DialogSupport::openOrCopyAddress(
        lblURL->text(), m_opener, m_clipboard, m_prompter,
        QStringLiteral(
            "copied URL into the clipboard, you may paste to the address bar of your web browser."),
        QStringLiteral("copied"));
}

bool AboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblURL && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            lblURL->rect().contains(mouse->position().toPoint())) {
            openWebAddress();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
