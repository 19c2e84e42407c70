#pragma once

#include <QString>

#include <functional>

// The three clipboard operations the whole program uses, plain text only, and
// the desktop's word that the clipboard changed.
// Inside the program line breaks are CR LF: an implementation turns the desktop's
// LF into CR LF on the way in and CR LF into LF on the way out.
class ClipboardAccess
{
public:
    // What the clipboard held at one moment.
    struct Content
    {
        // The plain text, whole; "" when there is none, and for a secret.
        QString text;
        // Marked as secret by a password manager (x-kde-passwordManagerHint =
        // "secret"): such a text is never read, let alone taken in.
        bool secret = false;
    };

    virtual ~ClipboardAccess() = default;

    // Reads the clipboard once: the secret mark and the text come from the same
    // content, and an owner that does not answer costs one wait at most.
    virtual Content read() = 0;
    // Afterwards the clipboard holds nothing and read() gives "".
    virtual void clear() = 0;
    // Afterwards read() gives exactly this string and other programs can paste it.
    virtual void setText(const QString &text) = 0;

    // True where the desktop reports every change of the clipboard, also one made
    // by another program. Then the handler runs after each change, from the event
    // loop (never inside a call of this interface), and an unchanged changeCount()
    // means the content is what it was at the last read. Elsewhere callers must
    // look at the clipboard themselves, as often as they care to.
    virtual bool notifiesChanges() const = 0;
    virtual void setChangeHandler(std::function<void()> handler) = 0;
    // A number that changes whenever the clipboard may have changed.
    virtual quint64 changeCount() const = 0;
};
