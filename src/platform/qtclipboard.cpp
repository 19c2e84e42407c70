#include "platform/qtclipboard.h"

#include "platform/textcodec.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

// Password managers (KeePassXC among them) offer this format alongside a
// password they copy, so that clipboard histories leave it alone.
QString passwordHintFormat()
{
    return QStringLiteral("x-kde-passwordManagerHint");
}

QString plainTextFormat()
{
    return QStringLiteral("text/plain");
}

QString utf8TextFormat()
{
    return QStringLiteral("text/plain;charset=utf-8");
}

QClipboard *systemClipboard()
{
    return QGuiApplication::clipboard();
}

} // namespace

QtClipboard::QtClipboard(QObject *parent)
    : QObject(parent)
    , m_notifies(platformNotifiesChanges(QGuiApplication::platformName()))
{
    connect(systemClipboard(), &QClipboard::changed, this, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard)
            noticeChange();
    });
}

bool QtClipboard::platformNotifiesChanges(const QString &platformName)
{
    return platformName == QLatin1String("xcb") || platformName == QLatin1String("windows");
}

void QtClipboard::setChangeHandler(std::function<void()> handler)
{
    m_handler = std::move(handler);
}

void QtClipboard::noticeChange()
{
    ++m_changes;
    // Several changes in one turn of the event loop are read once, after the
    // turn, so the handler never runs inside a caller that changes the clipboard.
    if (!m_notifies || !m_handler || m_noticeQueued)
        return;
    m_noticeQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_noticeQueued = false;
            if (m_handler)
                m_handler();
        },
        Qt::QueuedConnection);
}

ClipboardAccess::Content QtClipboard::read()
{
    // One snapshot, and every question asked of it at most once: on X11 each
    // question the clipboard's owner does not answer costs a five-second wait,
    // and asking for the list of formats again repeats it when it failed.
    const QMimeData *data = systemClipboard()->mimeData(QClipboard::Clipboard);
    if (!data)
        return {};
    const QStringList formats = data->formats();
    if (formats.contains(passwordHintFormat())) {
        if (data->data(passwordHintFormat()).trimmed() == QByteArrayLiteral("secret"))
            return {QString(), true};
    }
    QString text;
    if (formats.contains(utf8TextFormat())) {
        // QMimeData::text() would ask for this one first and, when it gives
        // nothing, ask again for plain text: take its answer as it is.
        text = QString::fromUtf8(data->data(utf8TextFormat()));
    } else if (formats.contains(plainTextFormat())) {
        text = data->text();
    }
    // Most texts have no line break at all; spare a copy of a text that may be
    // many megabytes long.
    if (!text.contains(QLatin1Char('\n')))
        return {text, false};
    return {toInternalLineBreaks(text), false};
}

void QtClipboard::clear()
{
    systemClipboard()->clear(QClipboard::Clipboard);
    ++m_changes;
}

void QtClipboard::setText(const QString &text)
{
    systemClipboard()->setText(toPlatformLineBreaks(text), QClipboard::Clipboard);
    ++m_changes;
}
