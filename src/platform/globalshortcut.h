#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>

#include <memory>
#include <utility>

// One key combination held for the whole desktop: pressing it anywhere emits
// activated(), whichever program has the keyboard. Each desktop has its own way
// (a key grab on the X11 root window, the desktop portal under Wayland); the
// program sees only this.
class GlobalShortcut : public QObject
{
    Q_OBJECT

public:
    enum class Failure
    {
        None,
        Unsupported, // this desktop lets no program hold a key
        NotAKey,     // the combination is no single key this desktop knows
        Taken,       // another program holds it
        Refused      // the desktop said no (the user declined, or an error)
    };

    using QObject::QObject;

    // Holds this key from now on, letting go of the one held before; an empty
    // sequence only lets go. False, with failure() and errorString() saying why,
    // when the key cannot be had. A desktop that answers later (the portal) returns
    // true and emits failed() if it then refuses.
    virtual bool setKey(const QKeySequence &key) = 0;

    const QKeySequence &key() const { return m_key; }
    Failure failure() const { return m_failure; }
    const QString &errorString() const { return m_error; }

    // The key in the form people read it, "Ctrl+Alt+V".
    static QString displayName(const QKeySequence &key);

signals:
    void activated();
    void failed();

protected:
    // For implementations: record the outcome of the latest setKey().
    bool succeed(const QKeySequence &key);
    bool fail(Failure failure, const QString &reason);
    void clearKey() { m_key = QKeySequence(); }

private:
    QKeySequence m_key;
    Failure m_failure = Failure::None;
    QString m_error;
};

// The desktop's own implementation: X11 key grabs on an X11 display, the desktop
// portal in a Wayland session where it offers global shortcuts, else one that
// always reports Failure::Unsupported.
std::unique_ptr<GlobalShortcut> createGlobalShortcut();

// The stand-in for desktops with no way to hold a key.
class UnsupportedGlobalShortcut : public GlobalShortcut
{
    Q_OBJECT

public:
    explicit UnsupportedGlobalShortcut(QString reason, QObject *parent = nullptr)
        : GlobalShortcut(parent)
        , m_reason(std::move(reason))
    {}
    bool setKey(const QKeySequence &key) override;

private:
    QString m_reason;
};
