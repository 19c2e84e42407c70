#include "app/exitrequests.h"

#include <QTest>

class TestExitRequests : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("pastebasket.exit.info=false"));
    }

    // A request that comes while start-up runs its own event loops (the splash)
    // is kept, and acted on once, from the event loop, after the hand-over.
    void requestDuringStartUpRunsAfterHandOver()
    {
        ExitRequests requests;
        int exits = 0;
        requests.request(QStringLiteral("SIGTERM"));
        QCoreApplication::processEvents(); // the splash's loop: nothing may run yet
        QVERIFY(requests.isPending());
        requests.request(QStringLiteral("SIGINT"));
        requests.handOver([&exits] { ++exits; });
        QCOMPARE(exits, 0); // not in the middle of the code that handed over
        QTRY_COMPARE(exits, 1);
        QVERIFY(!requests.isPending());
        QCoreApplication::processEvents();
        QCOMPARE(exits, 1);
    }

    void requestAfterHandOverRunsAtOnce()
    {
        ExitRequests requests;
        int exits = 0;
        requests.handOver([&exits] { ++exits; });
        QCoreApplication::processEvents();
        QCOMPARE(exits, 0);
        requests.request(QStringLiteral("SIGHUP"));
        QCOMPARE(exits, 1);
    }

    // A second signal that arrives while the exit saves (it runs an event loop
    // of its own for a message box, say) does not start a second exit inside it.
    void secondRequestDuringTheExitIsIgnored()
    {
        ExitRequests requests;
        int exits = 0;
        requests.handOver([&] {
            ++exits;
            requests.request(QStringLiteral("SIGTERM"));
        });
        requests.request(QStringLiteral("SIGTERM"));
        QCOMPARE(exits, 1);
    }
};

QTEST_GUILESS_MAIN(TestExitRequests)
#include "tst_exitrequests.moc"
