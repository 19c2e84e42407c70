#pragma once

#include "platform/clipboard.h"

// An in-memory clipboard. It reports change notifications like the X11 one
// does, and counts reads so tests can tell whether a poll read it again.
class FakeClipboard : public ClipboardAccess
{
public:
    QString text() override
    {
        ++reads;
        return content;
    }
    void clear() override { put(QString(), false); }
    void setText(const QString &text) override { put(text, false); }
    bool isSecret() override { return secret; }
    bool changeNotification() const override { return notifies; }
    quint64 changeCount() const override { return changes; }

    // What another program copying a text does.
    void put(const QString &text, bool isSecretText = false)
    {
        content = text;
        secret = isSecretText;
        ++changes;
    }

    QString content;
    bool secret = false;
    bool notifies = true;
    quint64 changes = 0;
    int reads = 0;
};
