#include "ui/dialogs/twips.h"

#include <QTemporaryDir>
#include <QTest>

class TestTwips : public QObject
{
    Q_OBJECT

private slots:
    void storedPixels_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("pixels"); // -1: not stored
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("blanks") << QStringLiteral("   ") << -1;
        QTest::newRow("zero") << QStringLiteral("0") << -1;
        QTest::newRow("not a number") << QStringLiteral("wide") << -1;
        QTest::newRow("whole") << QStringLiteral("6825") << 455;
        QTest::newRow("leading number") << QStringLiteral(" 1500px") << 100;
        QTest::newRow("nearest pixel") << QStringLiteral("1508") << 101;
    }
    void storedPixels()
    {
        QFETCH(QString, value);
        QFETCH(int, pixels);
        QCOMPARE(::storedPixels(value).value_or(-1), pixels);
    }

    void partsApplied()
    {
        const QRect window(10, 20, 300, 200);
        const QString top = QStringLiteral("1500");
        // Without a usable width nothing is applied; a negative size is unusable.
        for (const QString &width : {QString(), QStringLiteral("0"), QStringLiteral("-3000")})
            QCOMPARE(applyStoredGeometry(window, parseStoredGeometry(width, top, top, top)),
                     window);
        const StoredGeometry stored = parseStoredGeometry(
            QStringLiteral("6000"), QStringLiteral("0"), QString(), QStringLiteral("-750"));
        QCOMPARE(applyStoredGeometry(window, stored), QRect(-50, 20, 400, 200));
    }

    void clamp_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("clamped");
        QTest::newRow("inside") << QRect(10, 10, 300, 200) << QRect(10, 10, 300, 200);
        QTest::newRow("too large") << QRect(10, 10, 2000, 900) << QRect(10, 10, 800, 600);
        QTest::newRow("above, left") << QRect(-40, -5, 300, 200) << QRect(0, 0, 300, 200);
        QTest::newRow("beyond right, bottom") << QRect(790, 590, 30, 20) << QRect(790, 590, 30, 20);
    }
    void clamp()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, clamped);
        QCOMPARE(clampToScreen(window, QSize(800, 600)), clamped);
    }

    void writeThenRead()
    {
        QTemporaryDir dir;
        const Settings settings(dir.filePath(QStringLiteral("Pastebasket.ini")));
        QVERIFY(writeStoredGeometry(settings, kEditTextGeometry, QPoint(-3, 40), QSize(455, 201)));
        QCOMPARE(settings.value(Setting::EditTextWidth), QStringLiteral("6825"));
        QCOMPARE(settings.value(Setting::EditTextHeight), QStringLiteral("3015"));
        QCOMPARE(settings.value(Setting::EditTextTop), QStringLiteral("600"));
        QCOMPARE(settings.value(Setting::EditTextLeft), QStringLiteral("-45"));
        QVERIFY(settings.value(Setting::Width).isEmpty());
        const StoredGeometry stored = readStoredGeometry(settings, kEditTextGeometry);
        QCOMPARE(applyStoredGeometry(QRect(), stored), QRect(-3, 40, 455, 201));
    }
};

QTEST_GUILESS_MAIN(TestTwips)
#include "tst_twips.moc"
