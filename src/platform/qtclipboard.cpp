#include "platform/qtclipboard.h"

#include "platform/textcodec.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

// Password managers (KeePassXC among them) offer this format alongside a
// password they copy, so that clipboard histories leave it alone.
const QString &passwordHintFormat()
{
    static const QString format = QStringLiteral("x-kde-passwordManagerHint");
    return format;
}

QClipboard *systemClipboard()
{
    return QGuiApplication::clipboard();
}

} // namespace

QtClipboard::QtClipboard(QObject *parent)
    : QObject(parent)
    , m_notifies(platformNotifiesChanges())
{
    connect(systemClipboard(), &QClipboard::dataChanged, this, [this] { ++m_changes; });
}

bool QtClipboard::platformNotifiesChanges()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

QString QtClipboard::text()
{
    const QString text = systemClipboard()->text(QClipboard::Clipboard);
    // Most texts have no line break at all; spare a copy of a text that may be
    // many megabytes long.
    if (!text.contains(QLatin1Char('\n')))
        return text;
    return toInternalLineBreaks(text);
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

bool QtClipboard::isSecret()
{
    const QMimeData *data = systemClipboard()->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasFormat(passwordHintFormat()))
        return false;
    return data->data(passwordHintFormat()).trimmed() == QByteArrayLiteral("secret");
}
