#pragma once

#include "platform/globalshortcut.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

// A key bound through the desktop portal's GlobalShortcuts interface, the way a
// Wayland desktop lets programs have one. The portal answers later: it may ask
// the user to confirm or to pick another key, so setKey() returns at once and a
// refusal comes as failed().
class PortalGlobalShortcut : public GlobalShortcut
{
    Q_OBJECT

public:
    explicit PortalGlobalShortcut(const QDBusConnection &bus = QDBusConnection::sessionBus(),
                                  QObject *parent = nullptr);
    ~PortalGlobalShortcut() override;

    // True when a desktop portal on this bus offers global shortcuts.
    static bool isOffered(const QDBusConnection &bus = QDBusConnection::sessionBus());
    // The key as the portal's shortcut triggers spell it: "CTRL+ALT+v".
    static QString triggerName(const QKeySequence &key);

    bool setKey(const QKeySequence &key) override;

    // The id of our one shortcut in the portal's session.
    static constexpr QStringView kShortcutId = u"show-window";

private slots:
    void sessionCreated(uint response, const QVariantMap &results);
    void shortcutsBound(uint response, const QVariantMap &results);
    void portalActivated(const QDBusMessage &signal);

private:
    // Calls a portal method whose answer comes as a Response signal on a request
    // object; the signal is connected to `slot` before the call goes out.
    void callWithResponse(const QString &method, QVariantList arguments, const char *slot);
    void refuse(Failure failure, const QString &reason);
    void closeSession();
    void forgetRequest();

    QDBusConnection m_bus;
    QString m_session; // object path of the open session, "" when none
    QString m_request; // object path of the request awaiting its Response
    const char *m_requestSlot = nullptr;
    QKeySequence m_pending;
    int m_tokens = 0;
};
