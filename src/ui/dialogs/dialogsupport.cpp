#include "ui/dialogs/dialogsupport.h"

#include "platform/clipboard.h"
#include "settings/number.h"
#include "ui/dialogs/prompter.h"

#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

namespace {

bool selectsOnFocus(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

template<typename Box> class SelectAllOnFocus : public QObject
{
public:
    explicit SelectAllOnFocus(Box *box)
        : QObject(box)
        , m_box(box)
    {
        box->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_box && event->type() == QEvent::FocusIn &&
            selectsOnFocus(static_cast<QFocusEvent *>(event)->reason()))
            select();
        return false;
    }

private:
    void select();

    Box *m_box;
};

template<> void SelectAllOnFocus<QPlainTextEdit>::select()
{
    DialogSupport::selectWholeText(m_box);
}

template<> void SelectAllOnFocus<QLineEdit>::select()
{
    m_box->selectAll();
}

} // namespace

void DialogSupport::clearDefaultButtons(QDialog *dialog)
{
    const QList<QPushButton *> buttons = dialog->findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void DialogSupport::setTopMost(QWidget *window, bool topMost)
{
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
}

void DialogSupport::selectWholeText(QPlainTextEdit *box)
{
    QTextCursor cursor(box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::Start, QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
}

void DialogSupport::selectAllOnFocus(QPlainTextEdit *box)
{
    new SelectAllOnFocus<QPlainTextEdit>(box);
}

void DialogSupport::selectAllOnFocus(QLineEdit *box)
{
    new SelectAllOnFocus<QLineEdit>(box);
}

QString DialogSupport::plainTextOf(const QTextDocument *document)
{
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

void DialogSupport::fixSize(QDialog *dialog, QSize designSize)
{
    dialog->setFixedSize(dialog->sizeHint().expandedTo(designSize));
}

void DialogSupport::showCounterWarning(QLabel *counter, bool warning)
{
    // A palette that sets only the text colour; an empty one inherits everything.
    QPalette palette;
    if (warning)
        palette.setColor(QPalette::WindowText, Qt::red);
    counter->setPalette(palette);
}

bool DialogSupport::openOrCopyAddress(const QString &address, const UrlOpener &open,
                                      ClipboardAccess &clipboard, Prompter &prompter,
                                      const QString &message, const QString &title)
{
    const QString target = trimBlanks(address);
    if (open && open(QUrl(target)))
        return true;
    clipboard.clear();
    clipboard.setText(target);
    prompter.message(message, title, Prompter::Buttons::Ok);
    return false;
}

QFont DialogSupport::listFont(int pointSize)
{
    QFont font(QStringLiteral("Courier New"));
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return font;
}

DialogSupport::BusyCursor::BusyCursor()
    : m_active(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
{
    if (m_active)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

DialogSupport::BusyCursor::~BusyCursor()
{
    if (m_active)
        QGuiApplication::restoreOverrideCursor();
}

QString DialogSupport::settingsNotWrittenText(const Settings &settings, const QString &reason)
{
    return QStringLiteral("The settings could not be written to %1: %2")
        .arg(QDir::toNativeSeparators(settings.path()), reason);
}
