#include "capture/clipboardhistory.h"
#include "capture/clipboardmonitor.h"
#include "fakes/fakeclipboard.h"
#include "store/textlistmodel.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Texts written as "a|b|c"; "" is no text, "|" two empty ones.
QStringList list(const char *texts)
{
    return *texts ? QString::fromLatin1(texts).split(u'|') : QStringList();
}

QStringList historyOf(const ClipboardHistory &history)
{
    QStringList out;
    for (int i = 0; i <= history.historyLast(); ++i)
        out << history.historyText(i);
    return out;
}

// A monitor over a fake clipboard and a list, counting what the hooks are asked to do.
struct Rig
{
    QTemporaryDir dir;
    const QString rex = dir.filePath(QStringLiteral("Pastebasket.rex"));
    FakeClipboard clipboard;
    TextListModel model;
    QItemSelectionModel selection{&model};
    int saves = 0, shows = 0, listChanges = 0;
    ClipboardMonitor::Hooks hooks{[this] { ++saves; }, [this] { ++shows; },
                                  [this] { ++listChanges; }};
    ClipboardMonitor monitor{clipboard, model, selection, rex, hooks};

    // A leading "*" marks a text as secret, as a password manager does.
    void copyAndTick(const QString &text)
    {
        const bool secret = text.startsWith(u'*');
        clipboard.put(secret ? text.mid(1) : text, secret);
        monitor.tick(true);
    }
    void ticks(int n, bool autoGet)
    {
        while (n-- > 0)
            monitor.tick(autoGet);
    }
    void writeMarker(const QByteArray &content)
    {
        QFile f(rex);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
    }
    QStringList texts() const
    {
        QStringList out;
        for (const TextEntry &e : model.entriesInRowOrder())
            out << e.text;
        return out;
    }
};

} // namespace

class TestClipboardMonitor : public QObject
{
    Q_OBJECT

private slots:
    // Each copy is followed by one tick.
    void capture_data()
    {
        QTest::addColumn<QList<TextEntry>>("stored");
        QTest::addColumn<QStringList>("copies");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<int>("listChanges");
        const QList<TextEntry> none;
        QTest::newRow("new text, not trimmed")
            << QList<TextEntry>{{QStringLiteral("old"), 0, {}, 0}} << list(" new ")
            << list("old| new ") << QList<int>{1} << list(" new ") << 1;
        QTest::newRow("same text twice, blanks between")
            << none << list("A||   |A") << list("A") << QList<int>{0} << list("A") << 1;
        QTest::newRow("A B A") << none << list("A|B|A") << list("A|B") << QList<int>{0}
                               << list("A|B|A") << 3;
        QTest::newRow("secret text ignored, the same unmarked taken")
            << none << list("*pw|A|*pw|pw") << list("A|pw") << QList<int>{1} << list("A|pw") << 2;
        QTest::newRow("caption is not compared")
            << QList<TextEntry>{{QStringLiteral("body"), 0, QStringLiteral("Name"), 1}}
            << list("Name") << list("body|Name") << QList<int>{1} << list("Name") << 1;
    }
    void capture()
    {
        QFETCH(QList<TextEntry>, stored);
        QFETCH(QStringList, copies);
        Rig rig;
        rig.model.loadEntries(stored);
        for (const QString &text : copies)
            rig.copyAndTick(text);
        QTEST(rig.texts(), "texts");
        QTEST(RowSelection::selectedRows(&rig.selection), "selected");
        QTEST(historyOf(rig.monitor.history()), "history");
        QTEST(rig.listChanges, "listChanges");
    }

    // With "Automatically" off a tick still answers a second copy of the program (its
    // marker file says "Yes") and saves once the save interval is over (the 601st tick
    // after a group was loaded), but leaves the clipboard alone.
    void autoGetOffStillSavesAndAnswers()
    {
        Rig rig;
        rig.writeMarker("[ReExecute]\r\nReally=  Yes \r\n");
        rig.clipboard.put(QStringLiteral("A"));
        rig.ticks(1, false);
        rig.monitor.resetForGroupLoad();
        rig.ticks(600, false);
        QCOMPARE(rig.saves, 0);
        rig.ticks(1, false);
        QCOMPARE(rig.saves, 1);
        QCOMPARE(rig.shows, 1);
        QCOMPARE(rig.model.count() + historyOf(rig.monitor.history()).size(), 0);
        rig.ticks(1, true);
        QCOMPARE(rig.texts(), list("A"));
        QCOMPARE(rig.saves, 1); // the count starts again after a save
        rig.writeMarker("[ReExecute]\r\nReally=yes\r\n");
        rig.ticks(1, true);
        QCOMPARE(rig.shows, 1);
        QVERIFY(!QFile::exists(rig.rex)); // answered or not, the marker is removed
    }

    void fullListTakesNoRow()
    {
        Rig rig;
        for (int i = 0; i < kMaxListRows; ++i)
            rig.model.appendEntry(TextEntry{QString::number(i), 0, {}, 0});
        rig.copyAndTick(QStringLiteral("new"));
        QCOMPARE(rig.model.count(), kMaxListRows);
        QCOMPARE(rig.listChanges, 0);
        QCOMPARE(historyOf(rig.monitor.history()), list("new")); // still offered by the tray menu
        rig.copyAndTick(QString::number(kMaxListRows - 1));      // a stored text is still found
        QCOMPARE(RowSelection::selectedRows(&rig.selection), QList<int>{kMaxListRows - 1});
    }

    // Where the clipboard reports changes it is read again only after one.
    void readsOnlyAfterChangeNotification()
    {
        for (const bool notifies : {true, false}) {
            Rig rig;
            rig.clipboard.notifies = notifies;
            rig.clipboard.put(QStringLiteral("A"));
            rig.ticks(5, true);
            QCOMPARE(rig.clipboard.reads, notifies ? 1 : 5);
            rig.clipboard.content = QStringLiteral("B"); // changed without a notification
            rig.clipboard.changes += notifies ? 1 : 0;
            rig.ticks(1, true);
            QCOMPARE(rig.texts(), list("A|B"));
        }
    }

    // A text already weighed is weighed again when lastClipText changes, as when its
    // entry was deleted.
    void changedLastClipTextIsComparedAgain()
    {
        Rig rig;
        rig.copyAndTick(QStringLiteral("A"));
        rig.model.removeRowAt(0);
        rig.monitor.setLastClipText(QString());
        rig.ticks(1, true);
        QCOMPARE(rig.texts(), list("A"));
    }

    // A full history is reduced to the recent list, oldest first, then takes the new
    // text; the tray menu's ten most recent distinct texts stay as they were.
    void recentListSurvivesReduction()
    {
        ClipboardHistory history;
        // What the tray menu shows: newest first, each text once, ten at most.
        QStringList expected, recent;
        // Enough texts to fill the history several times, with repeats near and far.
        for (int i = 0; i < 450; ++i) {
            const QString text = QString::number((i * 7) % 23 + (i % 5 == 0 ? 100 : 0));
            if (history.historyLast() == ClipboardHistory::kCapacity - 1)
                expected = QStringList(recent.rbegin(), recent.rend());
            expected << text;
            recent.removeOne(text);
            recent = (QStringList{text} + recent).mid(0, ClipboardHistory::kRecentCapacity);
            history.add(text);
            QCOMPARE(historyOf(history), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestClipboardMonitor)
#include "tst_clipboardmonitor.moc"
