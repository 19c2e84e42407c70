#include "ui/main/hotkeybinding.h"

#include "platform/globalshortcut.h"
#include "platform/shortcutlog.h"
#include "ui/dialogs/hotkeysetting.h"
#include "ui/dialogs/prompter.h"

#include <QTimer>

HotKeyBinding::HotKeyBinding(std::unique_ptr<GlobalShortcut> shortcut, Settings settings,
                             Prompter &prompter, QObject *parent)
    : QObject(parent)
    , m_shortcut(std::move(shortcut))
    , m_settings(std::move(settings))
    , m_prompter(prompter)
{
    connect(m_shortcut.get(), &GlobalShortcut::activated, this, &HotKeyBinding::activated);
    // The portal answers later: its refusal is said when it comes.
    connect(m_shortcut.get(), &GlobalShortcut::failed, this,
            [this] { report(m_shortcut->errorString(), true); });
}

HotKeyBinding::~HotKeyBinding() = default;

void HotKeyBinding::apply(Reason reason)
{
    const HotKeySetting setting = HotKeySetting::read(m_settings);
    // Taken again only when it changed, or when another program held it: that
    // one may have ended since. A desktop that had none still has none.
    if (reason == Reason::SettingsChanged && m_everApplied && setting.stored == m_applied &&
        m_shortcut->failure() != GlobalShortcut::Failure::Taken)
        return;
    m_everApplied = true;
    m_applied = setting.stored;
    m_name = setting.readable ? GlobalShortcut::displayName(setting.key) : setting.stored;

    // At start-up the message waits until the window is shown.
    const auto say = [this, reason](const QString &text, bool show) {
        if (reason == Reason::Startup)
            QTimer::singleShot(0, this, [this, text, show] { report(text, show); });
        else
            report(text, show);
    };
    if (!setting.readable) {
        m_shortcut->setKey(QKeySequence());
        say(QStringLiteral("\"%1\" names no key.").arg(setting.stored), true);
        return;
    }
    if (m_shortcut->setKey(setting.key)) {
        if (!setting.key.isEmpty())
            qCInfo(lcShortcut).noquote() << "holding" << m_name;
        return;
    }
    const bool unsupported = m_shortcut->failure() == GlobalShortcut::Failure::Unsupported;
    say(m_shortcut->errorString(), reason == Reason::SettingsChanged || !unsupported);
}

void HotKeyBinding::report(const QString &reason, bool show)
{
    qCWarning(lcShortcut).noquote() << "no global shortcut" << m_name << "-" << reason;
    if (!show)
        return;
    m_prompter.message(QStringLiteral("The global shortcut %1 could not be set up.\r\n%2\r\n\r\n"
                                      "Pastebasket runs without it. Choose another key in "
                                      "Settings, or clear the field to have none.")
                           .arg(m_name, reason),
                       messageTitle(), Prompter::Buttons::Ok);
}
