#include "platform/qtclipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

#include <utility>

// The in-process clipboard of the offscreen platform: what reaches QClipboard
// and what comes back from it.
class TestQtClipboard : public QObject
{
    Q_OBJECT

private slots:
    void readsWithInternalLineBreaks_data();
    void readsWithInternalLineBreaks();
    void writesDesktopLineBreaksAndCountsChanges();
    void secretMark_data();
    void secretMark();
};

void TestQtClipboard::readsWithInternalLineBreaks_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("internal");
    QTest::newRow("no break") << QStringLiteral("abc") << QStringLiteral("abc");
    QTest::newRow("only LF") << QStringLiteral("\n") << QStringLiteral("\r\n");
    QTest::newRow("mixed") << QStringLiteral("\na\r\nb\n\n")
                           << QStringLiteral("\r\na\r\nb\r\n\r\n");
    QTest::newRow("lone CR") << QStringLiteral("a\rb") << QStringLiteral("a\rb");
    QTest::newRow("non-Latin") << QStringLiteral("\u00e9\u4e2d\n\U0001F600")
                               << QStringLiteral("\u00e9\u4e2d\r\n\U0001F600");
}

void TestQtClipboard::readsWithInternalLineBreaks()
{
    QFETCH(QString, desktop);
    QtClipboard clipboard;
    QGuiApplication::clipboard()->setText(desktop);
    QTEST(clipboard.text(), "internal");
}

void TestQtClipboard::writesDesktopLineBreaksAndCountsChanges()
{
    QtClipboard clipboard;
    QVERIFY(!clipboard.changeNotification()); // offscreen hears of no other program
    quint64 last = clipboard.changeCount();
    const auto changed = [&] {
        const quint64 now = clipboard.changeCount();
        return std::exchange(last, now) != now;
    };

    clipboard.setText(QStringLiteral("a\r\n\r\nb\tc\r\n"));
    QVERIFY(changed());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\n\nb\tc\n"));
    QCOMPARE(clipboard.text(), QStringLiteral("a\r\n\r\nb\tc\r\n"));
    QVERIFY(!changed());
    clipboard.clear();
    QVERIFY(changed());
    QCOMPARE(clipboard.text(), QString());
    QGuiApplication::clipboard()->setText(QStringLiteral("b"));
    QVERIFY(changed());
}

void TestQtClipboard::secretMark_data()
{
    QTest::addColumn<QByteArray>("hint"); // null: no hint at all
    QTest::addColumn<bool>("secret");
    QTest::newRow("secret") << QByteArray("secret") << true;
    QTest::newRow("other value") << QByteArray("public") << false;
    QTest::newRow("no hint") << QByteArray() << false;
}

void TestQtClipboard::secretMark()
{
    QFETCH(QByteArray, hint);
    QtClipboard clipboard;
    auto *data = new QMimeData;
    data->setText(QStringLiteral("hunter2"));
    if (!hint.isNull())
        data->setData(QStringLiteral("x-kde-passwordManagerHint"), hint);
    QGuiApplication::clipboard()->setMimeData(data);
    QTEST(clipboard.isSecret(), "secret");
    clipboard.setText(QStringLiteral("plain"));
    QVERIFY(!clipboard.isSecret());
}

QTEST_MAIN(TestQtClipboard)
#include "tst_qtclipboard.moc"
