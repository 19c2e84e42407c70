// What a started process cannot show: the failure message and the splash's
// timing. The start-up itself is tested on the real program (tst_startupprocess).
#include "app/startup.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void failures_data()
    {
        QTest::addColumn<bool>("makerIsAFile"); // else the main window cannot be shown
        QTest::addColumn<QString>("message");
        const QString start = QStringLiteral("Pastebasket can not run.\r\n");
        QTest::newRow("maker folder is a file")
            << true
            << start + m_dir.filePath(QStringLiteral("a/Orvendel Software")) +
                   QStringLiteral(" exists and is not a folder");
        QTest::newRow("main window fails") << false << start + QStringLiteral("no screen");
    }
    void failures()
    {
        QFETCH(bool, makerIsAFile);
        const QString base = m_dir.filePath(QLatin1String(makerIsAFile ? "a" : "b"));
        QFile maker(base + QStringLiteral("/Orvendel Software"));
        QVERIFY(!makerIsAFile || (QDir().mkpath(base) && maker.open(QIODevice::WriteOnly)));
        QPointer<StartUpSplash> splash;
        QStringList shown; // text, title
        Startup startup({base, {}, {}},
                        [&](const QString &text, const QString &title) { shown << text << title; });
        QCOMPARE(startup.run([&](const StartupContext &context, QString *error) {
            splash = context.splash;
            *error = QStringLiteral("no screen");
            return false;
        }),
                 Startup::Outcome::Failed);
        QFETCH(QString, message);
        QCOMPARE(shown, QStringList({message, QStringLiteral("system error")}));
        QVERIFY(!splash && !startup.splash()); // gone before the message shows
    }

    // The splash stays up for 500 ms however fast the main window loads.
    void splashStaysMinimumTime()
    {
        Startup startup({m_dir.filePath(QStringLiteral("c")), {}, {}},
                        [](const QString &text, const QString &) { QFAIL(qPrintable(text)); });
        qint64 shownFor = -1;
        QString message;
        QCOMPARE(startup.run([&](const StartupContext &context, QString *) {
            message = context.splash->lblMsg->text();
            finishSplash(context);
            shownFor = context.startTick.elapsed();
            return true;
        }),
                 Startup::Outcome::Launched);
        QCOMPARE(message, QStringLiteral("Initializing Data ..."));
        QVERIFY2(shownFor >= 500, qPrintable(QString::number(shownFor)));
        QVERIFY(!startup.splash());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
