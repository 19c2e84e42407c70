#include "settings/settingskeys.h"
#include "ui/main/windowsettings.h"

#include <QFontDatabase>
#include <QTemporaryDir>
#include <QTest>

using namespace WindowSettings;

namespace {

constexpr QSize kDesign{210, 288};
constexpr int kFirstRunWidth = 189;
constexpr QSize kScreen{1024, 768};

} // namespace

class TestWindowSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_settings = std::make_unique<Settings>(m_dir.filePath(QStringLiteral("t.ini")));
    }
    void cleanup() { QFile::remove(m_settings->path()); }

    void startPlacement_data()
    {
        // Stored values in twips; -1 for "not written".
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("positioned");
        QTest::addColumn<QPoint>("position");

        QTest::newRow("first run") << ""
                                   << ""
                                   << ""
                                   << "" << QSize(kFirstRunWidth, 288) << false << QPoint();
        QTest::newRow("no width ignores the rest")
            << "0"
            << "3000"
            << "1500"
            << "1500" << QSize(kFirstRunWidth, 288) << false << QPoint();
        QTest::newRow("all stored") << "4500"
                                    << "6000"
                                    << "1500"
                                    << "3000" << QSize(300, 400) << true << QPoint(200, 100);
        QTest::newRow("zero top and left are not stored")
            << "4500"
            << "6000"
            << "0"
            << "0" << QSize(300, 400) << false << QPoint();
        QTest::newRow("blank height keeps the design height")
            << "4500"
            << "  "
            << ""
            << "" << QSize(300, 288) << false << QPoint();
        QTest::newRow("negative place moves to the edge")
            << "4500"
            << "6000"
            << "-300"
            << "-15" << QSize(300, 400) << true << QPoint(0, 0);
        QTest::newRow("larger than the screen is cut")
            << "30000"
            << "20000"
            << "150"
            << "150" << QSize(1024, 768) << true << QPoint(10, 10);
        QTest::newRow("beyond the right edge stays")
            << "4500"
            << "6000"
            << "15000"
            << "30000" << QSize(300, 400) << true << QPoint(2000, 1000);
        QTest::newRow("lenient numbers") << "4500abc"
                                         << "6000.4"
                                         << "x"
                                         << "150" << QSize(300, 400) << true << QPoint(10, 0);
    }
    void startPlacement()
    {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, top);
        QFETCH(QString, left);
        QFETCH(QSize, size);
        QFETCH(bool, positioned);
        QFETCH(QPoint, position);
        m_settings->setValue(Setting::Width, width);
        m_settings->setValue(Setting::Height, height);
        m_settings->setValue(Setting::Top, top);
        m_settings->setValue(Setting::Left, left);

        const Placement p =
            WindowSettings::startPlacement(*m_settings, kDesign, kFirstRunWidth, kScreen);
        QCOMPARE(p.size, size);
        QCOMPARE(p.position.has_value(), positioned);
        if (positioned)
            QCOMPARE(*p.position, position);
    }

    void saveGeometryKeepsTheNormalGeometry_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("stored");
        QTest::newRow("normal") << int(Qt::WindowNoState) << "0";
        QTest::newRow("minimized") << int(Qt::WindowMinimized) << "1";
        QTest::newRow("maximized") << int(Qt::WindowMaximized) << "2";
        QTest::newRow("minimized from maximized")
            << int(Qt::WindowMinimized | Qt::WindowMaximized) << "1";
    }
    void saveGeometryKeepsTheNormalGeometry()
    {
        QFETCH(int, state);
        QFETCH(QString, stored);
        WindowSettings::saveGeometry(*m_settings, Qt::WindowStates(state), QRect(20, 10, 300, 400),
                                     false);
        QCOMPARE(m_settings->value(Setting::WindowState), stored);
        QCOMPARE(m_settings->value(Setting::Width), QStringLiteral("4500"));
        QCOMPARE(m_settings->value(Setting::Height), QStringLiteral("6000"));
        QCOMPARE(m_settings->value(Setting::Top), QStringLiteral("150"));
        QCOMPARE(m_settings->value(Setting::Left), QStringLiteral("300"));
        QCOMPARE(m_settings->value(Setting::WindowTopPos), QStringLiteral("0"));

        // And what was saved is where the window opens next time.
        const Placement p =
            WindowSettings::startPlacement(*m_settings, kDesign, kFirstRunWidth, kScreen);
        QCOMPARE(QRect(*p.position, p.size), QRect(20, 10, 300, 400));
    }

    void emptyFontNameKeepsTheDefaultFont()
    {
        m_settings->setValue(Setting::FontName, QStringLiteral("  "));
        m_settings->setValue(Setting::FontBold, QStringLiteral("1"));
        m_settings->setValue(Setting::FontSize, QStringLiteral("20"));
        const QFont fallback = defaultListFont();
        const QFont font = listFont(*m_settings, fallback);
        QCOMPARE(font, fallback);
        QVERIFY(!font.bold());
        QCOMPARE(font.pointSize(), 9);
        // Whatever family stands in for Courier New, the columns must line up.
        const QFontMetrics metrics(font);
        QCOMPARE(metrics.horizontalAdvance(QLatin1Char('i')),
                 metrics.horizontalAdvance(QLatin1Char('W')));
    }

    void storedFontRoundTrips_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<int>("pointSize");
        QTest::newRow("whole") << "12" << 12;
        QTest::newRow("missing size keeps the default") << "" << 9;
        QTest::newRow("zero keeps the default") << "0" << 9;
        QTest::newRow("absurd keeps the default") << "100000" << 9;
    }
    void storedFontRoundTrips()
    {
        QFETCH(QString, size);
        QFETCH(int, pointSize);
        m_settings->setValue(Setting::FontName, QStringLiteral("DejaVu Sans"));
        m_settings->setValue(Setting::FontBold, QStringLiteral("1"));
        m_settings->setValue(Setting::FontItalic, QStringLiteral("0"));
        m_settings->setValue(Setting::FontSize, size);
        const QFont font = listFont(*m_settings, defaultListFont());
        QCOMPARE(font.family(), QStringLiteral("DejaVu Sans"));
        QVERIFY(font.bold());
        QVERIFY(!font.italic());
        QCOMPARE(font.pointSize(), pointSize);

        QFont changed = font;
        changed.setPointSizeF(10.5);
        changed.setItalic(true);
        saveListFont(*m_settings, changed);
        QCOMPARE(m_settings->value(Setting::FontSize), QStringLiteral("10")); // halves to even
        QCOMPARE(m_settings->value(Setting::FontItalic), QStringLiteral("1"));
        QCOMPARE(m_settings->value(Setting::FontBold), QStringLiteral("1"));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Settings> m_settings;
};

QTEST_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
