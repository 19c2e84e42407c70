#include "capture/clipboardhistory.h"

#include <QTest>

#include <algorithm>

namespace {

QStringList recentOf(ClipboardHistory &history)
{
    history.makeRecentList();
    QStringList out;
    for (int i = 0; i <= history.recentLast(); ++i)
        out << history.recentText(i);
    return out;
}

// The up to ten most recent distinct texts of everything added, newest first:
// what the tray menu must show however often the history was reduced.
QStringList expectedRecent(const QStringList &added)
{
    QStringList out;
    for (qsizetype i = added.size() - 1; i >= 0 && out.size() < 10; --i) {
        if (!out.contains(added.at(i)))
            out << added.at(i);
    }
    return out;
}

} // namespace

class TestClipboardHistory : public QObject
{
    Q_OBJECT

private slots:
    void blankTextsAreNotKept_data();
    void blankTextsAreNotKept();
    void recentListIsDistinctNewestFirst();
    void reductionKeepsRecentList();
    void clearEmptiesBoth();
};

void TestClipboardHistory::blankTextsAreNotKept_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("kept");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("spaces") << QStringLiteral("   ") << false;
    QTest::newRow("tab") << QStringLiteral("\t") << true;
    QTest::newRow("line break") << QStringLiteral("\r\n") << true;
}

void TestClipboardHistory::blankTextsAreNotKept()
{
    QFETCH(QString, text);
    QFETCH(bool, kept);
    ClipboardHistory history;
    history.add(text);
    QCOMPARE(history.historyLast(), kept ? 0 : -1);
    if (kept)
        QCOMPARE(history.historyText(0), text);
}

void TestClipboardHistory::recentListIsDistinctNewestFirst()
{
    ClipboardHistory history;
    QStringList added;
    // Twelve distinct texts with repeats among them; the repeats move a text forward.
    for (const int n : {1, 2, 3, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 3}) {
        added << QString::number(n);
        history.add(added.last());
    }
    QCOMPARE(history.historyLast(), 13);
    const QStringList recent = recentOf(history);
    QCOMPARE(recent.size(), 10);
    QCOMPARE(recent, expectedRecent(added));
    QCOMPARE(recent.first(), QStringLiteral("3"));
}

void TestClipboardHistory::reductionKeepsRecentList()
{
    ClipboardHistory history;
    QStringList added;
    // Enough texts to fill the history several times, with repeats near and far.
    for (int i = 0; i < 450; ++i) {
        added << QString::number((i * 7) % 23 + (i % 5 == 0 ? 100 : 0));
        const qint16 before = history.historyLast();
        history.add(added.last());
        QVERIFY(history.historyLast() < ClipboardHistory::kCapacity);
        QCOMPARE(recentOf(history), expectedRecent(added));
        if (before == ClipboardHistory::kCapacity - 1) {
            // Reduced: the ten recent texts oldest first, then the new one.
            QStringList kept = expectedRecent(added.mid(0, added.size() - 1));
            std::reverse(kept.begin(), kept.end());
            kept << added.last();
            QStringList held;
            for (int j = 0; j <= history.historyLast(); ++j)
                held << history.historyText(j);
            QCOMPARE(held, kept);
            QVERIFY(history.historyText(ClipboardHistory::kCapacity - 1).isEmpty());
        }
    }
}

void TestClipboardHistory::clearEmptiesBoth()
{
    ClipboardHistory history;
    history.add(QStringLiteral("a"));
    history.clear();
    QCOMPARE(history.historyLast(), -1);
    QCOMPARE(recentOf(history), QStringList());
    history.add(QStringLiteral("b"));
    QCOMPARE(recentOf(history), QStringList{QStringLiteral("b")});
}

QTEST_GUILESS_MAIN(TestClipboardHistory)
#include "tst_clipboardhistory.moc"
