#pragma once

#include <QString>

#include <array>

// The clipboard texts the monitor has seen, oldest first (100 at most), and the
// up to ten most recent distinct ones behind the tray menu, newest first.
class ClipboardHistory
{
public:
    static constexpr int kCapacity = 100;
    static constexpr int kRecentCapacity = 10;

    // Appends a text (blank texts are ignored). A full history is first reduced
    // to its recent list, oldest first, so the recent list stays as it was.
    void add(const QString &text);
    // Rebuilds the recent list from the history.
    void makeRecentList();
    // Empties the history (the tray menu's "Clear the List below").
    void clear() { m_historyLast = -1; }

    qint16 historyLast() const { return m_historyLast; }
    const QString &historyText(int slot) const { return m_history.at(slot); }
    qint16 recentLast() const { return m_recentLast; }
    // Slot 0 is the newest.
    const QString &recentText(int slot) const { return m_recent.at(slot); }

private:
    std::array<QString, kCapacity> m_history;
    qint16 m_historyLast = -1;
    std::array<QString, kRecentCapacity> m_recent;
    qint16 m_recentLast = -1;
};
