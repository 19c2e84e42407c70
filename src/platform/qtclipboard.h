#pragma once

#include "platform/clipboard.h"

#include <QObject>

// The desktop clipboard (not the X11 primary selection) through QClipboard,
// plain text only.
class QtClipboard : public QObject, public ClipboardAccess
{
    Q_OBJECT

public:
    explicit QtClipboard(QObject *parent = nullptr);

    Content read() override;
    void clear() override;
    void setText(const QString &text) override;
    bool notifiesChanges() const override { return m_notifies; }
    void setChangeHandler(std::function<void()> handler) override;
    quint64 changeCount() const override { return m_changes; }

    // True where Qt reports every change of the clipboard, also one made by another
    // program while this one is in the background: X11 (through XFixes) and
    // Windows (a clipboard format listener). On macOS Qt looks at the pasteboard
    // only when the program becomes active, and a Wayland compositor offers the
    // clipboard only to the focused window, so there callers must poll.
    static bool platformNotifiesChanges(const QString &platformName);

private:
    void noticeChange();

    bool m_notifies;
    quint64 m_changes = 0;
    bool m_noticeQueued = false;
    std::function<void()> m_handler;
};
