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

QStringList historyOf(const ClipboardHistory &history)
{
    QStringList out;
    for (int i = 0; i <= history.historyLast(); ++i)
        out << history.historyText(i);
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
    void blankTextsAreNotKept();
    void recentListSurvivesReduction();
    void clearEmptiesBoth();
};

void TestClipboardHistory::blankTextsAreNotKept()
{
    ClipboardHistory history;
    for (const char *text : {"", "   ", "\t", " "})
        history.add(QString::fromLatin1(text));
    QCOMPARE(historyOf(history), QStringList{QStringLiteral("\t")});
}

void TestClipboardHistory::recentListSurvivesReduction()
{
    ClipboardHistory history;
    QStringList added;
    // Enough texts to fill the history several times, with repeats near and far.
    for (int i = 0; i < 450; ++i) {
        added << QString::number((i * 7) % 23 + (i % 5 == 0 ? 100 : 0));
        const bool full = history.historyLast() == ClipboardHistory::kCapacity - 1;
        history.add(added.last());
        QCOMPARE(recentOf(history), expectedRecent(added));
        if (full) {
            // Reduced to the recent texts, oldest first, then the new one.
            QStringList kept = expectedRecent(added.mid(0, added.size() - 1));
            std::reverse(kept.begin(), kept.end());
            QCOMPARE(historyOf(history), kept << added.last());
            QVERIFY(history.historyText(ClipboardHistory::kCapacity - 1).isEmpty());
        }
    }
}

void TestClipboardHistory::clearEmptiesBoth()
{
    ClipboardHistory history;
    history.add(QStringLiteral("a"));
    history.clear();
    QCOMPARE(recentOf(history), QStringList());
    history.add(QStringLiteral("b"));
    QCOMPARE(historyOf(history), QStringList{QStringLiteral("b")});
}

QTEST_GUILESS_MAIN(TestClipboardHistory)
#include "tst_clipboardhistory.moc"
