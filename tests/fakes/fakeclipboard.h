#pragma once

#include "platform/clipboard.h"

#include <utility>

// An in-memory clipboard. It reports changes like the X11 one does: another
// program's copy (put) at once, the program's own clear() and setText() only when
// a test delivers the notice, as the event loop would later. It counts reads so
// tests can tell when it was read.
class FakeClipboard : public ClipboardAccess
{
public:
    Content read() override
    {
        ++reads;
        return secret ? Content{QString(), true} : Content{content, false};
    }
    void clear() override { change(QString(), false); }
    void setText(const QString &text) override { change(text, false); }
    bool notifiesChanges() const override { return notifies; }
    void setChangeHandler(std::function<void()> handler) override
    {
        m_handler = std::move(handler);
    }
    quint64 changeCount() const override { return changes; }

    // What another program copying a text does.
    void put(const QString &text, bool isSecretText = false)
    {
        change(text, isSecretText);
        deliverNotice();
    }
    // The notice of the program's own last change, as the event loop brings it.
    void deliverNotice()
    {
        if (notifies && m_handler && std::exchange(noticePending, false))
            m_handler();
    }

    QString content;
    bool secret = false;
    bool notifies = true;
    quint64 changes = 0;
    int reads = 0;
    bool noticePending = false;

private:
    void change(const QString &text, bool isSecretText)
    {
        content = text;
        secret = isSecretText;
        ++changes;
        noticePending = true;
    }

    std::function<void()> m_handler;
};
