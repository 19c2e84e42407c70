// The parts of the desktop-wide key that need no desktop: how a key is named to
// the desktop portal, and the stand-in for desktops without such keys.
#include "platform/globalshortcut.h"
#include "platform/globalshortcut_portal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

namespace {

const QString kDesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

struct Shortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument &operator<<(QDBusArgument &argument, const Shortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, Shortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(Shortcut)

// A desktop portal with global shortcuts on a private bus: it answers requests
// through Response signals on request objects, as the real one does, and the
// user's answer to the binding is scripted.
class FakePortal : public QDBusVirtualObject
{
public:
    explicit FakePortal(const QDBusConnection &bus)
        : m_bus(bus)
    {
        qDBusRegisterMetaType<Shortcut>();
        qDBusRegisterMetaType<QList<Shortcut>>();
    }

    void press(const QString &session, const QString &id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kDesktopPath, kShortcutsInterface,
                                                         QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1)
               << QVariantMap();
        m_bus.send(signal);
    }

    uint bindAnswer = 0; // 0 bound, 1 declined by the user
    QStringList sessions;
    QList<Shortcut> bound;

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        const QList<QVariant> args = message.arguments();
        QVariant reply;
        if (message.member() == u"Get" && args.value(0) == kShortcutsInterface) {
            reply = QVariant::fromValue(QDBusVariant(uint(1)));
        } else if (message.member() == u"CreateSession") {
            const QVariantMap options = qdbus_cast<QVariantMap>(args.value(0));
            const QString session =
                QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                    .arg(senderPart(message),
                         options.value(QStringLiteral("session_handle_token")).toString());
            sessions << session;
            reply = respond(message, options, 0, {{QStringLiteral("session_handle"), session}});
        } else if (message.member() == u"BindShortcuts") {
            const QString session = qdbus_cast<QDBusObjectPath>(args.value(0)).path();
            const auto shortcuts = qdbus_cast<QList<Shortcut>>(args.value(1));
            if (bindAnswer == 0 && sessions.contains(session))
                bound = shortcuts;
            reply = respond(message, qdbus_cast<QVariantMap>(args.value(3)), bindAnswer, {});
        } else {
            return false;
        }
        m_bus.send(message.createReply(reply));
        return true;
    }

private:
    static QString senderPart(const QDBusMessage &message)
    {
        return message.service().mid(1).replace(u'.', u'_');
    }
    QVariant respond(const QDBusMessage &message, const QVariantMap &options, uint answer,
                     const QVariantMap &results)
    {
        const QString request =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                .arg(senderPart(message), options.value(QStringLiteral("handle_token")).toString());
        QTimer::singleShot(0, [bus = m_bus, request, answer, results]() mutable {
            QDBusMessage signal = QDBusMessage::createSignal(
                request, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"));
            signal << answer << results;
            bus.send(signal);
        });
        return QVariant::fromValue(QDBusObjectPath(request));
    }

    QDBusConnection m_bus;
};

class TestGlobalShortcut : public QObject
{
    Q_OBJECT

private slots:
    // The portal's triggers spell modifiers in capitals and keys by their X names.
    void portalTriggerName_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("default") << QKeySequence(QStringLiteral("Ctrl+Alt+V")) << "CTRL+ALT+v";
        QTest::newRow("all modifiers")
            << QKeySequence(QStringLiteral("Ctrl+Alt+Shift+Meta+K")) << "CTRL+ALT+SHIFT+LOGO+k";
        QTest::newRow("digit") << QKeySequence(QStringLiteral("Alt+1")) << "ALT+1";
        QTest::newRow("function key") << QKeySequence(QStringLiteral("Meta+F12")) << "LOGO+F12";
        QTest::newRow("space") << QKeySequence(QStringLiteral("Ctrl+Space")) << "CTRL+space";
        QTest::newRow("escape") << QKeySequence(QStringLiteral("Ctrl+Esc")) << "CTRL+Escape";
        QTest::newRow("page up") << QKeySequence(QStringLiteral("Ctrl+PgUp")) << "CTRL+Page_Up";
        QTest::newRow("backspace")
            << QKeySequence(QStringLiteral("Alt+Backspace")) << "ALT+BackSpace";
        QTest::newRow("none") << QKeySequence() << "";
    }
    void portalTriggerName()
    {
        QFETCH(QKeySequence, key);
        QTEST(PortalGlobalShortcut::triggerName(key), "trigger");
    }

    // No key can be had, and the reason is the one given; letting go always works.
    void unsupportedDesktop()
    {
        UnsupportedGlobalShortcut shortcut(QStringLiteral("Bind a key in the desktop."));
        QVERIFY(!shortcut.setKey(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
        QCOMPARE(shortcut.failure(), GlobalShortcut::Failure::Unsupported);
        QCOMPARE(shortcut.errorString(), QStringLiteral("Bind a key in the desktop."));
        QVERIFY(shortcut.key().isEmpty());
        QVERIFY(shortcut.setKey(QKeySequence()));
        QCOMPARE(shortcut.failure(), GlobalShortcut::Failure::None);
        QVERIFY(shortcut.errorString().isEmpty());
    }

    // Through a portal: the key is offered under its trigger name, presses of our
    // shortcut in our session come through, a refusal is reported later, naming
    // the key, and a new key leaves the old session behind.
    void throughThePortal()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed");
        QProcess daemon;
        daemon.start(QStringLiteral("dbus-daemon"),
                     QStringLiteral("--session --nofork --print-address=1").split(u' '));
        QVERIFY(daemon.waitForStarted());
        QTRY_VERIFY(daemon.canReadLine());
        const QString address = QString::fromUtf8(daemon.readLine().trimmed());
        QDBusConnection portalBus =
            QDBusConnection::connectToBus(address, QStringLiteral("portal"));
        const QDBusConnection client =
            QDBusConnection::connectToBus(address, QStringLiteral("client"));
        QVERIFY(portalBus.isConnected() && client.isConnected());
        QVERIFY(!PortalGlobalShortcut::isOffered(client));
        FakePortal portal(portalBus);
        QVERIFY(portalBus.registerVirtualObject(kDesktopPath, &portal));
        QVERIFY(portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        QVERIFY(PortalGlobalShortcut::isOffered(client));

        {
            PortalGlobalShortcut shortcut(client);
            QSignalSpy activated(&shortcut, &GlobalShortcut::activated);
            QSignalSpy failed(&shortcut, &GlobalShortcut::failed);
            QVERIFY(shortcut.setKey(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
            QTRY_COMPARE(portal.bound.size(), 1);
            QCOMPARE(portal.bound[0].id, QStringLiteral("show-window"));
            QCOMPARE(portal.bound[0].properties.value(QStringLiteral("preferred_trigger")),
                     QStringLiteral("CTRL+ALT+v"));
            const QString first = portal.sessions.constLast();
            portal.press(first, QStringLiteral("something-else"));
            portal.press(first, QStringLiteral("show-window"));
            QTRY_COMPARE(activated.size(), 1);

            QVERIFY(shortcut.setKey(QKeySequence(QStringLiteral("Meta+V"))));
            QTRY_COMPARE(
                portal.bound.value(0).properties.value(QStringLiteral("preferred_trigger")),
                QStringLiteral("LOGO+v"));
            QCOMPARE(portal.sessions.size(), 2);
            portal.press(first, QStringLiteral("show-window")); // the old session: nothing
            portal.press(portal.sessions.constLast(), QStringLiteral("show-window"));
            QTRY_COMPARE(activated.size(), 2);
            QTest::qWait(50);
            QCOMPARE(activated.size(), 2);
            QCOMPARE(failed.size(), 0);

            portal.bindAnswer = 1;
            QVERIFY(shortcut.setKey(QKeySequence(QStringLiteral("Ctrl+Alt+B"))));
            QTRY_COMPARE(failed.size(), 1);
            QCOMPARE(shortcut.failure(), GlobalShortcut::Failure::Refused);
            QVERIFY2(shortcut.errorString().contains(u"Ctrl+Alt+B"),
                     qPrintable(shortcut.errorString()));
            QVERIFY(shortcut.key().isEmpty());
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        daemon.kill();
        daemon.waitForFinished();
    }

    // Without a bus there is no portal, and nothing is asked of one.
    void noPortalWithoutABus()
    {
        const QDBusConnection none = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none"));
        QVERIFY(!PortalGlobalShortcut::isOffered(none));
    }
};

QTEST_GUILESS_MAIN(TestGlobalShortcut)
#include "tst_globalshortcut.moc"
