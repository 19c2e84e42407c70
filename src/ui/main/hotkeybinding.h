#pragma once

#include "settings/settingskeys.h"

#include <QObject>
#include <QString>

#include <memory>

class GlobalShortcut;
class Prompter;

// Holds the desktop-wide key that "Setup"/"HotKey" names and passes its presses
// on as activated(). A key that cannot be had leaves the program running without
// one and is said to the user: a message once the window is up at start-up, and
// at once when the key is changed in Settings. That the desktop offers no such
// keys at all is only logged at start-up, or it would greet every start there.
class HotKeyBinding : public QObject
{
    Q_OBJECT

public:
    enum class Reason
    {
        Startup,
        SettingsChanged
    };

    HotKeyBinding(std::unique_ptr<GlobalShortcut> shortcut, Settings settings, Prompter &prompter,
                  QObject *parent = nullptr);
    ~HotKeyBinding() override;

    // Holds the key the settings name now. After Settings it does nothing when
    // the setting did not change, so an unchanged key is not taken again.
    void apply(Reason reason);

    const GlobalShortcut &shortcut() const { return *m_shortcut; }

    static QString messageTitle() { return QStringLiteral("Global shortcut"); }

signals:
    void activated();

private:
    void report(const QString &reason, bool show);

    std::unique_ptr<GlobalShortcut> m_shortcut;
    Settings m_settings;
    Prompter &m_prompter;
    QString m_applied; // the setting's value last applied
    bool m_everApplied = false;
    QString m_name; // the key last asked for, as people read it
};
