#include "platform/globalshortcut.h"

QString GlobalShortcut::displayName(const QKeySequence &key)
{
    return key.toString(QKeySequence::NativeText);
}

bool GlobalShortcut::succeed(const QKeySequence &key)
{
    m_key = key;
    m_failure = Failure::None;
    m_error.clear();
    return true;
}

bool GlobalShortcut::fail(Failure failure, const QString &reason)
{
    m_key = QKeySequence();
    m_failure = failure;
    m_error = reason;
    return false;
}

bool UnsupportedGlobalShortcut::setKey(const QKeySequence &key)
{
    if (key.isEmpty())
        return succeed(key);
    return fail(Failure::Unsupported, m_reason);
}
