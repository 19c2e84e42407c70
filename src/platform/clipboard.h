#pragma once

#include <QString>

// The three clipboard operations the whole program uses, plain text only.
// Inside the program line breaks are CR LF: an implementation turns the desktop's
// LF into CR LF on the way in and CR LF into LF on the way out.
class ClipboardAccess
{
public:
    virtual ~ClipboardAccess() = default;

    // The clipboard's plain text, whole; "" when it holds no text.
    virtual QString text() = 0;
    // Afterwards the clipboard holds nothing and text() returns "".
    virtual void clear() = 0;
    // Afterwards text() returns exactly this string and other programs can paste it.
    virtual void setText(const QString &text) = 0;

    // True when the current content is marked as secret by a password manager
    // (x-kde-passwordManagerHint = "secret"); such a text is never taken in.
    virtual bool isSecret() = 0;

    // A number that changes whenever the clipboard may have changed. While
    // changeNotification() is true, an unchanged number means the content is the
    // same as at the last read, so a poll need not read it again. Where the desktop
    // gives no notification, changeNotification() is false and callers read every time.
    virtual bool changeNotification() const = 0;
    virtual quint64 changeCount() const = 0;
};
