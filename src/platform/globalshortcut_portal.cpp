#include "platform/globalshortcut_portal.h"

#include "platform/shortcutlog.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QKeyCombination>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

// One entry of the portal's a(sa{sv}) list of shortcuts.
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};
using PortalShortcutList = QList<PortalShortcut>;

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

// The portal's own key names where Qt's differ.
constexpr std::pair<QStringView, QStringView> kKeyNames[] = {
    {u"Esc", u"Escape"},       {u"Space", u"space"},    {u"Backspace", u"BackSpace"},
    {u"Del", u"Delete"},       {u"Ins", u"Insert"},     {u"PgUp", u"Page_Up"},
    {u"PgDown", u"Page_Down"}, {u"Enter", u"KP_Enter"}, {u"Backtab", u"Tab"},
};

QString objectPathOf(const QVariant &value)
{
    if (value.canConvert<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

PortalGlobalShortcut::PortalGlobalShortcut(const QDBusConnection &bus, QObject *parent)
    : GlobalShortcut(parent)
    , m_bus(bus)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcutList>();
    if (!m_bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                       SLOT(portalActivated(QDBusMessage))))
        qCWarning(lcShortcut) << "no connection to the portal's Activated signal";
}

PortalGlobalShortcut::~PortalGlobalShortcut()
{
    closeSession();
}

bool PortalGlobalShortcut::isOffered(const QDBusConnection &bus)
{
    if (!bus.isConnected())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::BlockWithGui, 3000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

QString PortalGlobalShortcut::triggerName(const QKeySequence &key)
{
    if (key.isEmpty())
        return {};
    const QKeyCombination combination = key[0];
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    QStringList parts;
    if (modifiers & Qt::ControlModifier)
        parts << QStringLiteral("CTRL");
    if (modifiers & Qt::AltModifier)
        parts << QStringLiteral("ALT");
    if (modifiers & Qt::ShiftModifier)
        parts << QStringLiteral("SHIFT");
    if (modifiers & Qt::MetaModifier)
        parts << QStringLiteral("LOGO");
    QString name = QKeySequence(combination.key()).toString(QKeySequence::PortableText);
    if (name.size() == 1)
        name = name.toLower();
    for (const auto &[qt, portal] : kKeyNames) {
        if (name == qt)
            name = portal.toString();
    }
    parts << name;
    return parts.join(u'+');
}

bool PortalGlobalShortcut::setKey(const QKeySequence &key)
{
    closeSession();
    m_pending = key;
    if (key.isEmpty())
        return succeed(key);
    if (key.count() != 1)
        return fail(Failure::NotAKey,
                    QStringLiteral("%1 is not a single key.").arg(displayName(key)));
    const QString token = QStringLiteral("pastebasket%1").arg(++m_tokens);
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), token}};
    callWithResponse(QStringLiteral("CreateSession"), {options},
                     SLOT(sessionCreated(uint, QVariantMap)));
    // Counted as held until the portal says otherwise.
    return succeed(key);
}

void PortalGlobalShortcut::callWithResponse(const QString &method, QVariantList arguments,
                                            const char *slot)
{
    const QString token = arguments.last().toMap().value(QStringLiteral("handle_token")).toString();
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    const QString request =
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    forgetRequest();
    m_request = request;
    m_requestSlot = slot;
    m_bus.connect(kService, request, kRequestInterface, QStringLiteral("Response"), this, slot);

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, method] {
        watcher->deleteLater();
        if (watcher->isError()) {
            refuse(Failure::Refused, QStringLiteral("The desktop portal refused %1: %2")
                                         .arg(method, watcher->error().message()));
        }
    });
}

void PortalGlobalShortcut::sessionCreated(uint response, const QVariantMap &results)
{
    if (response != 0) {
        refuse(Failure::Refused, QStringLiteral("The desktop portal opened no session for %1.")
                                     .arg(displayName(m_pending)));
        return;
    }
    m_session = objectPathOf(results.value(QStringLiteral("session_handle")));
    const PortalShortcutList shortcuts{
        {kShortcutId.toString(),
         {{QStringLiteral("description"), QStringLiteral("Show the Pastebasket window")},
          {QStringLiteral("preferred_trigger"), triggerName(m_pending)}}}};
    const QString token = QStringLiteral("pastebasket%1").arg(++m_tokens);
    callWithResponse(QStringLiteral("BindShortcuts"),
                     {QVariant::fromValue(QDBusObjectPath(m_session)),
                      QVariant::fromValue(shortcuts), QString(),
                      QVariantMap{{QStringLiteral("handle_token"), token}}},
                     SLOT(shortcutsBound(uint, QVariantMap)));
}

void PortalGlobalShortcut::shortcutsBound(uint response, const QVariantMap &results)
{
    const QString name = displayName(m_pending);
    if (response == 1) {
        refuse(Failure::Refused, QStringLiteral("%1 was not bound: declined at the desktop's "
                                                "question.")
                                     .arg(name));
        return;
    }
    if (response != 0) {
        refuse(Failure::Refused, QStringLiteral("The desktop portal did not bind %1.").arg(name));
        return;
    }
    PortalShortcutList bound;
    if (results.contains(QStringLiteral("shortcuts")))
        bound = qdbus_cast<PortalShortcutList>(results.value(QStringLiteral("shortcuts")));
    qCDebug(lcShortcut) << "the portal bound" << bound.size() << "shortcut(s) for" << name;
}

void PortalGlobalShortcut::portalActivated(const QDBusMessage &signal)
{
    // Activated(o session, s shortcut id, t timestamp, a{sv} options)
    const QList<QVariant> args = signal.arguments();
    const QString session = objectPathOf(args.value(0));
    if (!m_session.isEmpty() && session == m_session && args.value(1).toString() == kShortcutId)
        emit activated();
}

void PortalGlobalShortcut::refuse(Failure failure, const QString &reason)
{
    closeSession();
    fail(failure, reason);
    qCWarning(lcShortcut).noquote() << reason;
    emit failed();
}

void PortalGlobalShortcut::closeSession()
{
    forgetRequest();
    if (m_session.isEmpty())
        return;
    m_bus.asyncCall(QDBusMessage::createMethodCall(kService, m_session, kSessionInterface,
                                                   QStringLiteral("Close")));
    m_session.clear();
    clearKey();
}

void PortalGlobalShortcut::forgetRequest()
{
    if (m_request.isEmpty())
        return;
    m_bus.disconnect(kService, m_request, kRequestInterface, QStringLiteral("Response"), this,
                     m_requestSlot);
    m_request.clear();
}
