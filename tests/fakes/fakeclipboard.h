#pragma once

#include "platform/clipboard.h"

// An in-memory clipboard. Like the X11 one, it reports another program's copy
// (put) at once and the program's own clear() and setText() not at all. It
// counts reads so tests can tell when it was read.
class FakeClipboard : public ClipboardAccess
{
public:
    Content read() override
    {
        ++reads;
        return secret ? Content{QString(), true} : Content{content, false};
    }
    void clear() override { setText(QString()); }
    void setText(const QString &text) override
    {
        content = text;
        secret = false;
        ++changes;
    }
    bool notifiesChanges() const override { return notifies; }
    void setChangeHandler(std::function<void()> handler) override { m_handler = handler; }
    quint64 changeCount() const override { return changes; }

    // What another program copying a text does.
    void put(const QString &text, bool isSecretText = false)
    {
        setText(text);
        secret = isSecretText;
        if (notifies && m_handler)
            m_handler();
    }

    QString content;
    bool secret = false;
    bool notifies = true;
    quint64 changes = 0;
    int reads = 0;

private:
    std::function<void()> m_handler;
};
