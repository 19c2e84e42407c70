#include "ui/dialogs/nameddialog.h"

#include "platform/textcodec.h"
#include "ui/dialogs/dialogsupport.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>

namespace {
// Design sizes in pixels (15 twips each).
constexpr QSize kDesignClient{552, 140};
constexpr QSize kTextArea{481, 49};
constexpr QSize kButtonSize{97, 25};
constexpr int kButtonGap = 15;

const QChar kEllipsis(0x2026);

// Lines of one paragraph as laid out in `width`: pairs of start and length.
QList<std::pair<int, int>> wrappedLines(const QString &paragraph, const QFont &font, int width)
{
    QList<std::pair<int, int>> lines;
    if (paragraph.isEmpty()) {
        lines.append({0, 0});
        return lines;
    }
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.append({line.textStart(), line.textLength()});
    }
    layout.endLayout();
    return lines;
}
} // namespace

NamedDialog::NamedDialog(QWidget *owner, const QString &shownText, const QString &caption,
                         bool topMost)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmNamed"));
    setWindowTitle(QStringLiteral("Caption"));
    DialogSupport::setTopMost(this, topMost);
    buildControls();

    lblText->setText(fitText(shownText, lblText->font(), lblText->width(), kShownLines));
    // A caption stored longer than the box allows is not cut by merely opening the dialog.
    txtNamed->setMaxLength(std::max<int>(kMaxCaptionLength, caption.size()));
    txtNamed->setText(caption);
    txtNamed->selectAll();
    DialogSupport::selectAllOnFocus(txtNamed);
    txtNamed->setFocus();
    DialogSupport::fixSize(this, kDesignClient);
}

void NamedDialog::buildControls()
{
    Label2 = new QLabel(QStringLiteral("Text:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    lblText = new QLabel(this);
    lblText->setObjectName(QStringLiteral("lblText"));
    // The text is the user's: never read it as markup.
    lblText->setTextFormat(Qt::PlainText);
    lblText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblText->setFixedSize(
        kTextArea.width(),
        std::max(kTextArea.height(), kShownLines * lblText->fontMetrics().lineSpacing()));
    Label1 = new QLabel(QStringLiteral("Caption:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtNamed = new QLineEdit(this);
    txtNamed->setObjectName(QStringLiteral("txtNamed"));
    btnClear = new QPushButton(QStringLiteral("Remove"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(kButtonGap);
    buttons->addWidget(btnClear);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    for (QPushButton *button : {btnClear, btnOK, btnCancel})
        button->setMinimumSize(kButtonSize);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 8, 11, 11);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(10);
    grid->addWidget(Label2, 0, 0, Qt::AlignTop);
    grid->addWidget(lblText, 0, 1);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(txtNamed, 1, 1);
    grid->addLayout(buttons, 2, 1);
    grid->setRowStretch(3, 1);

    setTabOrder(txtNamed, btnClear);
    setTabOrder(btnClear, btnOK);
    setTabOrder(btnOK, btnCancel);

    DialogSupport::clearDefaultButtons(this);
    connect(btnClear, &QPushButton::clicked, this, &NamedDialog::remove);
    connect(btnOK, &QPushButton::clicked, this, &NamedDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &NamedDialog::reject);
}

std::optional<QString> NamedDialog::ask(QWidget *owner, const QString &shownText,
                                        const QString &caption, bool topMost)
{
    NamedDialog dialog(owner, shownText, caption, topMost);
    dialog.exec();
    return dialog.result();
}

void NamedDialog::accept()
{
    m_result = txtNamed->text();
    QDialog::accept();
}

void NamedDialog::remove()
{
    txtNamed->clear();
    accept();
}

QString NamedDialog::fitText(const QString &text, const QFont &font, int width, int maxLines)
{
    if (maxLines <= 0)
        return {};
    QString plain = toPlatformLineBreaks(text);
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList paragraphs = plain.split(QLatin1Char('\n'));

    QStringList shown;
    for (qsizetype p = 0; p < paragraphs.size(); ++p) {
        const QString &paragraph = paragraphs[p];
        const QList<std::pair<int, int>> lines = wrappedLines(paragraph, font, width);
        for (qsizetype l = 0; l < lines.size(); ++l) {
            const auto [start, length] = lines[l];
            const bool lastPlace = shown.size() == maxLines - 1;
            const bool moreFollows = l + 1 < lines.size() || p + 1 < paragraphs.size();
            if (lastPlace && moreFollows) {
                // The rest of the paragraph, cut to the width with an ellipsis.
                const QString rest = paragraph.mid(start) + kEllipsis;
                shown.append(QFontMetrics(font).elidedText(rest, Qt::ElideRight, width));
                return shown.join(QLatin1Char('\n'));
            }
            shown.append(paragraph.mid(start, length));
        }
    }
    return shown.join(QLatin1Char('\n'));
}
