#include "ui/dialogs/edittextdialog.h"

#include "platform/textcodec.h"
#include "settings/number.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/storedgeometry.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {
// Design sizes in pixels (15 twips each).
constexpr int kMargin = 8;            // the text box's distance from the edges
constexpr int kStripMinWidth = 225;   // picBottomR
constexpr QSize kButtonSize{97, 25};  // btnOK, btnCancel
constexpr int kButtonGap = 15;        // between the buttons
constexpr int kStripRightMargin = 16; // right of btnCancel within the strip
constexpr QSize kDesignClient{455, 201};
constexpr int kMinimumWidthExtra = 4; // the window is at least the strip plus this
} // namespace

EditTextDialog::EditTextDialog(QWidget *owner, const Settings &settings, const QString &text,
                               const QFont &font, bool topMost)
    : QDialog(owner)
    , m_settings(settings)
    , m_text(text)
{
    setObjectName(QStringLiteral("frmEditText"));
    setWindowTitle(isBlank(text) ? QStringLiteral("Add") : QStringLiteral("Edit"));
    setSizeGripEnabled(true);
    DialogSupport::setTopMost(this, topMost);
    buildControls();

    txtEdit->setFont(font);
    txtEdit->setPlainText(toPlatformLineBreaks(text));
    DialogSupport::selectWholeText(txtEdit);
    DialogSupport::selectAllOnFocus(txtEdit);
    txtEdit->setFocus();

    setMinimumSize(minimumClientSize());
    resize(kDesignClient.expandedTo(minimumClientSize()));
}

void EditTextDialog::buildControls()
{
    txtEdit = new QPlainTextEdit(this);
    txtEdit->setObjectName(QStringLiteral("txtEdit"));
    // Long lines scroll sideways instead of wrapping, as the text is kept.
    txtEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtEdit->setTabChangesFocus(false);

    picBottomR = new QWidget(this);
    picBottomR->setObjectName(QStringLiteral("picBottomR"));
    picBottomR->setMinimumWidth(kStripMinWidth);
    btnOK = new QPushButton(QStringLiteral("OK"), picBottomR);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), picBottomR);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto *buttons = new QHBoxLayout(picBottomR);
    buttons->setContentsMargins(0, kMargin, kStripRightMargin, kMargin);
    buttons->setSpacing(kButtonGap);
    for (QPushButton *button : {btnOK, btnCancel}) {
        button->setMinimumSize(kButtonSize);
        buttons->addWidget(button);
    }
    picBottomR->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    // The text box keeps a margin on three sides; the strip sits in the lower
    // right corner at every size.
    auto *textArea = new QVBoxLayout;
    textArea->setContentsMargins(kMargin, kMargin, kMargin, 0);
    textArea->addWidget(txtEdit);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(textArea, 1);
    column->addWidget(picBottomR, 0, Qt::AlignRight);

    DialogSupport::clearDefaultButtons(this);
    connect(btnOK, &QPushButton::clicked, this, &EditTextDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &EditTextDialog::reject);
}

QSize EditTextDialog::minimumClientSize() const
{
    const QSize strip = picBottomR->sizeHint();
    return {strip.width() + kMinimumWidthExtra, 4 * strip.height()};
}

std::optional<QString> EditTextDialog::edit(QWidget *owner, const Settings &settings,
                                            const QString &text, const QFont &font, bool topMost)
{
    EditTextDialog dialog(owner, settings, text, font, topMost);
    dialog.exec();
    return dialog.result();
}

QString EditTextDialog::typedText() const
{
    // An untouched text goes back exactly as it came, whatever the box made of
    // characters it cannot show as they are (a lone CR, for one).
    if (!txtEdit->document()->isModified())
        return m_text;
    return toInternalLineBreaks(DialogSupport::plainTextOf(txtEdit->document()));
}

void EditTextDialog::accept()
{
    m_result = typedText();
    QDialog::accept();
}

void EditTextDialog::done(int r)
{
    // OK, Cancel, Esc and the close box all end here. A dialog that was never
    // shown has no place of its own worth keeping.
    if (isVisible())
        writeStoredGeometry(m_settings, kEditTextGeometry, pos(), size());
    QDialog::done(r);
}

void EditTextDialog::setVisible(bool visible)
{
    if (visible && !m_placed) {
        m_placed = true;
        placeAsStored();
    }
    QDialog::setVisible(visible);
}

void EditTextDialog::placeAsStored()
{
    const StoredGeometry stored = readStoredGeometry(m_settings, kEditTextGeometry);
    if (!stored.isStored())
        return; // centred on its owner
    const QList<QRect> areas = Screens::availableAreas();
    if (!stored.top && !stored.left) {
        // Only the size: still centred on the owner, no larger than the screen.
        resize(Screens::keepOnScreens(applyStoredGeometry({0, 0, width(), height()}, stored),
                                      areas.mid(0, 1))
                   .size());
        return;
    }
    // The size is the client area's and the place the frame's, the pair that
    // done() keeps, so the dialog opens where it was closed.
    const QRect placed =
        Screens::keepOnScreens(applyStoredGeometry({0, 0, width(), height()}, stored), areas);
    resize(placed.size());
    move(placed.topLeft());
}
