// What a started process cannot show: the failure message and exit requests
// during start-up. The start-up itself is tested on the real program
// (tst_startupprocess).
#include "app/exitrequests.h"
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

    // A request that comes while start-up runs its own event loops (the splash)
    // is kept, and acted on once, from the event loop, after the hand-over.
    void requestDuringStartUpRunsAfterHandOver()
    {
        ExitRequests requests;
        int exits = 0;
        requests.request(u"SIGTERM"_s);
        QCoreApplication::processEvents(); // the splash's loop: nothing may run yet
        QVERIFY(requests.isPending());
        requests.request(u"SIGINT"_s);
        requests.handOver([&exits] { ++exits; });
        QCOMPARE(exits, 0); // not in the middle of the code that handed over
        QTRY_COMPARE(exits, 1);
        QVERIFY(!requests.isPending());
        QCoreApplication::processEvents();
        QCOMPARE(exits, 1);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
