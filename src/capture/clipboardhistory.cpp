#include "capture/clipboardhistory.h"

#include "settings/number.h"

void ClipboardHistory::add(const QString &text)
{
    if (isBlank(text))
        return;
    if (m_historyLast >= kCapacity - 1) {
        // Keep only what the tray menu can show, in order of arrival, so the
        // reduction leaves the recent list as it was.
        makeRecentList();
        for (int j = 0; j <= m_recentLast; ++j)
            m_history[j] = m_recent[m_recentLast - j];
        for (int j = m_recentLast + 1; j < kCapacity; ++j)
            m_history[j].clear();
        m_historyLast = m_recentLast;
    }
    m_history[++m_historyLast] = text;
}

void ClipboardHistory::makeRecentList()
{
    for (QString &s : m_recent)
        s.clear();
    m_recentLast = -1;
    for (int i = m_historyLast; i >= 0 && m_recentLast < kRecentCapacity - 1; --i) {
        const QString &candidate = m_history[i];
        bool seen = false;
        for (int j = 0; j <= m_recentLast && !seen; ++j)
            seen = m_recent[j] == candidate;
        if (!seen)
            m_recent[++m_recentLast] = candidate;
    }
}
