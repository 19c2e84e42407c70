// The parts of the desktop-wide key that need no desktop: how a key is named to
// the desktop portal, and the stand-in for desktops without such keys.
#include "platform/globalshortcut.h"
#include "platform/globalshortcut_portal.h"

#include <QSignalSpy>
#include <QTest>

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

    // Without a bus there is no portal, and nothing is asked of one.
    void noPortalWithoutABus()
    {
        const QDBusConnection none =
            QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                          QStringLiteral("none"));
        QVERIFY(!PortalGlobalShortcut::isOffered(none));
    }
};

QTEST_GUILESS_MAIN(TestGlobalShortcut)
#include "tst_globalshortcut.moc"
