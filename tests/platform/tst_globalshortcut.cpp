// The desktop-wide key through the desktop portal, on a private bus.
#include "platform/globalshortcut.h"
#include "platform/globalshortcut_portal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
const QString kDesktopPath = u"/org/freedesktop/portal/desktop"_s;
const QString kShortcutsInterface = u"org.freedesktop.portal.GlobalShortcuts"_s;
} // namespace

// A desktop portal with global shortcuts: it answers requests through Response
// signals on request objects, as the real one does, and the user's answer to the
// binding is scripted. Bound shortcuts are noted as "id=trigger".
class FakePortal : public QDBusVirtualObject
{
public:
    explicit FakePortal(const QDBusConnection &bus)
        : m_bus(bus)
    {}

    void press(const QString &session, const QString &id)
    {
        QDBusMessage signal =
            QDBusMessage::createSignal(kDesktopPath, kShortcutsInterface, u"Activated"_s);
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1)
               << QVariantMap();
        m_bus.send(signal);
    }

    uint bindAnswer = 0; // 0 bound, 1 declined by the user
    QStringList sessions;
    QStringList bound;

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        const QList<QVariant> args = message.arguments();
        const QString sender = message.service().mid(1).replace(u'.', u'_');
        QVariantMap options;
        uint answer = 0;
        QVariantMap results;
        if (message.member() == u"Get" && args.value(0) == kShortcutsInterface) {
            m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1)))));
            return true;
        } else if (message.member() == u"CreateSession") {
            options = qdbus_cast<QVariantMap>(args.value(0));
            sessions << kDesktopPath +
                            u"/session/%1/%2"_s.arg(
                                sender, options.value(u"session_handle_token"_s).toString());
            results[u"session_handle"_s] = sessions.constLast();
        } else if (message.member() == u"BindShortcuts") {
            options = qdbus_cast<QVariantMap>(args.value(3));
            answer = bindAnswer;
            const QDBusArgument list = args.value(1).value<QDBusArgument>();
            QStringList shortcuts;
            list.beginArray();
            while (!list.atEnd()) {
                QString id;
                QVariantMap properties;
                list.beginStructure();
                list >> id >> properties;
                list.endStructure();
                shortcuts << id + u'=' + properties.value(u"preferred_trigger"_s).toString();
            }
            list.endArray();
            if (answer == 0 && sessions.contains(qdbus_cast<QDBusObjectPath>(args.value(0)).path()))
                bound = shortcuts;
        } else {
            return false;
        }
        const QString request =
            kDesktopPath +
            u"/request/%1/%2"_s.arg(sender, options.value(u"handle_token"_s).toString());
        m_bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QTimer::singleShot(0, [bus = m_bus, request, answer, results]() mutable {
            QDBusMessage signal = QDBusMessage::createSignal(
                request, u"org.freedesktop.portal.Request"_s, u"Response"_s);
            signal << answer << results;
            bus.send(signal);
        });
        return true;
    }

private:
    QDBusConnection m_bus;
};

class TestGlobalShortcut : public QObject
{
    Q_OBJECT

private slots:
    // Through a portal: the key is offered under its trigger name (modifiers in
    // capitals, keys by their X names), presses of our shortcut in our session
    // come through, a new key leaves the old session behind, and a refusal is
    // reported later, naming the key.
    void throughThePortal()
    {
        if (QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
            QSKIP("dbus-daemon is not installed");
        QProcess daemon;
        daemon.start(u"dbus-daemon"_s, u"--session --nofork --print-address=1"_s.split(u' '));
        QVERIFY(daemon.waitForStarted());
        QTRY_VERIFY(daemon.canReadLine());
        const QString address = QString::fromUtf8(daemon.readLine().trimmed());
        QDBusConnection portalBus = QDBusConnection::connectToBus(address, u"portal"_s);
        const QDBusConnection client = QDBusConnection::connectToBus(address, u"client"_s);
        QVERIFY(portalBus.isConnected() && client.isConnected());
        QVERIFY(!PortalGlobalShortcut::isOffered(client));
        FakePortal portal(portalBus);
        QVERIFY(portalBus.registerVirtualObject(kDesktopPath, &portal));
        QVERIFY(portalBus.registerService(u"org.freedesktop.portal.Desktop"_s));
        QVERIFY(PortalGlobalShortcut::isOffered(client));
        PortalGlobalShortcut shortcut(client);
        QSignalSpy activated(&shortcut, &GlobalShortcut::activated);
        QSignalSpy failed(&shortcut, &GlobalShortcut::failed);
        QVERIFY(shortcut.setKey(QKeySequence(u"Ctrl+Alt+Shift+V"_s)));
        QTRY_COMPARE(portal.bound, QStringList{u"show-window=CTRL+ALT+SHIFT+v"_s});
        const QString first = portal.sessions.constLast();
        portal.press(first, u"something-else"_s);
        portal.press(first, u"show-window"_s);
        QTRY_COMPARE(activated.size(), 1);

        QVERIFY(shortcut.setKey(QKeySequence(u"Meta+PgUp"_s)));
        QTRY_COMPARE(portal.bound, QStringList{u"show-window=LOGO+Page_Up"_s});
        QCOMPARE(portal.sessions.size(), 2);
        portal.press(first, u"show-window"_s); // the old session: nothing
        portal.press(portal.sessions.constLast(), u"show-window"_s);
        QTRY_COMPARE(activated.size(), 2);
        QCOMPARE(failed.size(), 0);

        portal.bindAnswer = 1;
        QVERIFY(shortcut.setKey(QKeySequence(u"Ctrl+Alt+B"_s)));
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(shortcut.failure(), GlobalShortcut::Failure::Refused);
        QVERIFY2(shortcut.errorString().contains(u"Ctrl+Alt+B"),
                 qPrintable(shortcut.errorString()));
        QVERIFY(shortcut.key().isEmpty());
        daemon.kill();
        daemon.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestGlobalShortcut)
#include "tst_globalshortcut.moc"
