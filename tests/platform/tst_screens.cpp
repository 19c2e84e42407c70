#include "platform/screens.h"
#include "platform/twips.h"

#include <QTest>

#include <limits>

class TestScreens : public QObject
{
    Q_OBJECT

private slots:
    void twipsToPixels_data()
    {
        QTest::addColumn<double>("twips");
        QTest::addColumn<qint64>("pixels");
        QTest::newRow("rounded") << 22.0 << qint64(1);
        QTest::newRow("negative") << -3000.0 << qint64(-200);
        QTest::newRow("beyond int") << 1e12 << qint64(66666666667);
        QTest::newRow("held at the limit") << 1e300 << Twips::kLimit;
        QTest::newRow("held below") << -std::numeric_limits<double>::infinity() << -Twips::kLimit;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << qint64(0);
    }
    void twipsToPixels()
    {
        QFETCH(double, twips);
        QTEST(Twips::toPixels(twips), "pixels");
    }

    // A primary screen 1280 x 800 with a 24-pixel panel on top, and a second
    // screen to its right that starts lower.
    void keepOnScreens_data()
    {
        QTest::addColumn<qint64>("x");
        QTest::addColumn<qint64>("y");
        QTest::addColumn<qint64>("width");
        QTest::addColumn<qint64>("height");
        QTest::addColumn<QRect>("placed");
        const qint64 huge = Twips::kLimit;
        // clang-format off
        QTest::newRow("inside stays") << qint64(100) << qint64(50) << qint64(300) << qint64(400) << QRect(100, 50, 300, 400);
        QTest::newRow("under the panel moved down") << qint64(100) << qint64(0) << qint64(300) << qint64(400) << QRect(100, 24, 300, 400);
        QTest::newRow("too large cut") << qint64(0) << qint64(0) << qint64(5000) << qint64(5000) << QRect(0, 24, 1280, 776);
        QTest::newRow("mostly on the second") << qint64(1200) << qint64(300) << qint64(300) << qint64(200) << QRect(1280, 300, 300, 200);
        QTest::newRow("right of the second") << qint64(4000) << qint64(2000) << qint64(300) << qint64(400) << QRect(1940, 600, 300, 400);
        QTest::newRow("far up and left") << -huge << -huge << qint64(300) << qint64(400) << QRect(0, 24, 300, 400);
        QTest::newRow("huge everything") << huge << huge << huge << huge << QRect(1280, 200, 960, 800);
        QTest::newRow("empty size") << qint64(10) << qint64(30) << qint64(0) << qint64(-5) << QRect(10, 30, 1, 1);
        // clang-format on
    }
    void keepOnScreens()
    {
        QFETCH(qint64, x);
        QFETCH(qint64, y);
        QFETCH(qint64, width);
        QFETCH(qint64, height);
        const QList<QRect> areas{QRect(0, 24, 1280, 776), QRect(1280, 200, 960, 800)};
        QTEST(Screens::keepOnScreens({x, y, width, height}, areas), "placed");
    }

    void withoutScreensOnlyIntoRange()
    {
        const QRect r = Screens::keepOnScreens({Twips::kLimit, -5, 20, 30}, {});
        QVERIFY(r.x() > 0 && r.right() > r.x());
        QCOMPARE(QRect(0, r.y(), r.width(), r.height()), QRect(0, -5, 20, 30));
    }
};

QTEST_MAIN(TestScreens)
#include "tst_screens.moc"
