// What a started process cannot show: the failure message of a start-up that
// fails. The start-up itself is tested on the real program (tst_startupprocess),
// an exit signal during it by the end-to-end fault tests.
#include "app/startup.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void failures_data()
    {
        QTest::addColumn<bool>("makerIsAFile"); // else the main window cannot be shown
        QTest::newRow("maker folder is a file") << true;
        QTest::newRow("main window fails") << false;
    }
    void failures()
    {
        QFETCH(bool, makerIsAFile);
        const QString base = m_dir.filePath(QLatin1String(makerIsAFile ? "a" : "b"));
        QFile maker(base + u"/Orvendel Software"_s);
        QVERIFY(!makerIsAFile || (QDir().mkpath(base) && maker.open(QIODevice::WriteOnly)));
        QPointer<StartUpSplash> splash;
        QStringList shown; // text, title
        Startup startup({base, {}, {}},
                        [&](const QString &text, const QString &title) { shown << text << title; });
        QCOMPARE(startup.run([&](const StartupContext &context, QString *error) {
            splash = context.splash;
            *error = u"no screen"_s;
            return false;
        }),
                 Startup::Outcome::Failed);
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown[0].contains(makerIsAFile ? maker.fileName() : u"no screen"_s),
                 qPrintable(shown[0]));
        QVERIFY(!splash && !startup.splash()); // gone before the message shows
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
