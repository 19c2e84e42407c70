#include "platform/session.h"

#include <QGuiApplication>
#include <QtTest>

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void choosesPlatform_data();
    void choosesPlatform();
    void choiceReachesQtButNotProgramsStartedLater();
};

void TestSession::choosesPlatform_data()
{
    QTest::addColumn<QByteArray>("qpa");
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QByteArray>("session");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray none;
    const QByteArray xFirst = "xcb;wayland";
    QTest::newRow("X11 session") << none << none << QByteArray("x11") << QByteArray(":0") << none;
    QTest::newRow("Wayland with XWayland")
        << none << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray(":0") << xFirst;
    QTest::newRow("Wayland display only")
        << none << QByteArray("wayland-1") << none << QByteArray(":1") << xFirst;
    QTest::newRow("Wayland session, default socket")
        << none << none << QByteArray("wayland") << QByteArray(":0") << xFirst;
    QTest::newRow("Wayland without XWayland")
        << none << QByteArray("wayland-0") << QByteArray("wayland") << none << none;
    QTest::newRow("empty DISPLAY is no display")
        << none << QByteArray("wayland-0") << none << QByteArray("") << none;
    QTest::newRow("user chose Wayland") << QByteArray("wayland") << QByteArray("wayland-0")
                                        << QByteArray("wayland") << QByteArray(":0") << none;
    QTest::newRow("user chose offscreen")
        << QByteArray("offscreen") << QByteArray("wayland-0") << none << QByteArray(":0") << none;
    QTest::newRow("no desktop at all") << none << none << QByteArray("tty") << none << none;
}

void TestSession::choosesPlatform()
{
    QFETCH(QByteArray, qpa);
    QFETCH(QByteArray, wayland);
    QFETCH(QByteArray, session);
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, expected);
    QCOMPARE(preferredPlatform({qpa, wayland, session, display}), expected);
}

// Runs last: it changes this process's environment for good.
void TestSession::choiceReachesQtButNotProgramsStartedLater()
{
    qunsetenv("QT_QPA_PLATFORM");
    qputenv("WAYLAND_DISPLAY", "wayland-test");
    qputenv("DISPLAY", ":4242");
    preferXcbUnderWayland();
    QCOMPARE(qgetenv("QT_QPA_PLATFORM"), QByteArray("xcb;wayland"));

    // No X server answers here: let the application stand in offscreen for the
    // platform that was asked for, as Qt reads the variable when it is made.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "tst_session";
    char *argv[] = {name, nullptr};
    const QGuiApplication app(argc, argv);
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    QVERIFY(!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
}

QTEST_APPLESS_MAIN(TestSession)
#include "tst_session.moc"
