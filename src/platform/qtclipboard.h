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

    QString text() override;
    void clear() override;
    void setText(const QString &text) override;
    bool isSecret() override;
    bool changeNotification() const override { return m_notifies; }
    quint64 changeCount() const override { return m_changes; }

    // True where the platform reports every change of the clipboard, also one
    // made by another program (X11 through XFixes). Elsewhere dataChanged may
    // miss outside changes, so callers must read the clipboard every time.
    static bool platformNotifiesChanges();

private:
    bool m_notifies;
    quint64 m_changes = 0;
};
