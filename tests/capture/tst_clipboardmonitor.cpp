#include "capture/capturescheduler.h"
#include "capture/clipboardhistory.h"
#include "capture/clipboardmonitor.h"
#include "fakes/fakeclipboard.h"
#include "store/textlistmodel.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

// A monitor over a fake clipboard and a list, counting what the hooks are asked to
// do, and the scheduler that runs it (stopped until a test starts it).
struct Rig
{
    QTemporaryDir dir;
    const QString rex = dir.filePath(QStringLiteral("Pastebasket.rex"));
    FakeClipboard clipboard;
    TextListModel model;
    QItemSelectionModel selection{&model};
    int saves = 0, shows = 0, listChanges = 0;
    ClipboardMonitor monitor{
        clipboard, model, selection, rex,
        ClipboardMonitor::Hooks{[this] { ++shows; }, [this] { ++listChanges; }}};
    // This many saves fail, leaving the group changed.
    int failingSaves = 0;
    CaptureScheduler scheduler{monitor, clipboard, model, rex, CaptureScheduler::Hooks{[this] {
                                   ++saves;
                                   if (failingSaves > 0)
                                       --failingSaves;
                                   else
                                       model.setModified(false);
                               }}};

    // A leading "*" marks a text as secret, as a password manager does.
    void copyAndCapture(const QString &text)
    {
        const bool secret = text.startsWith(u'*');
        clipboard.put(secret ? text.mid(1) : text, secret);
        monitor.capture();
    }
    void captures(int n)
    {
        while (n-- > 0)
            monitor.capture();
    }
    // The periodic save's timer, made to run out at once when armed.
    QTimer *saveTimer()
    {
        auto *timer = scheduler.findChild<QTimer *>(QStringLiteral("timSave"));
        timer->setInterval(0);
        return timer;
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
    // Each copy is followed by one capture.
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
            rig.copyAndCapture(text);
        QTEST(rig.texts(), "texts");
        QTEST(RowSelection::selectedRows(&rig.selection), "selected");
        QTEST(historyOf(rig.monitor.history()), "history");
        QTEST(rig.listChanges, "listChanges");
    }

    // A change captures at once, by itself, only while the scheduler runs and
    // "Automatically" is on; otherwise the text is taken when both are so again.
    void changeCapturesOnlyWhileRunningAndOn_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("autoGet");
        QTest::newRow("running, on") << true << true;
        QTest::newRow("running, off") << true << false;
        QTest::newRow("stopped, on") << false << true;
        QTest::newRow("stopped, off") << false << false;
    }
    void changeCapturesOnlyWhileRunningAndOn()
    {
        QFETCH(bool, running);
        QFETCH(bool, autoGet);
        Rig rig;
        rig.scheduler.setAutoGet(autoGet);
        if (running)
            rig.scheduler.start();
        const int readsBefore = rig.clipboard.reads;
        rig.clipboard.put(QStringLiteral("A"));
        QCOMPARE(rig.texts(), running && autoGet ? list("A") : list(""));
        QVERIFY(!rig.scheduler.isPolling()); // the clipboard reports changes: no timer
        rig.scheduler.start();
        rig.scheduler.setAutoGet(true);
        QCOMPARE(rig.texts(), list("A"));
        QCOMPARE(rig.clipboard.reads - readsBefore, 1); // one change, one read
    }

    // Without change reports the clipboard is looked at every 200 ms, and only
    // while the scheduler runs.
    void pollsWhereNoChangeIsReported()
    {
        Rig rig;
        rig.clipboard.notifies = false;
        rig.scheduler.start();
        QVERIFY(rig.scheduler.isPolling());
        rig.clipboard.put(QStringLiteral("A"));
        QTRY_COMPARE(rig.texts(), list("A"));
        rig.scheduler.stop();
        QVERIFY(!rig.scheduler.isPolling());
    }

    // The periodic save waits for the first change since the group was loaded or
    // saved; a failed save is tried again a period later; stopping holds it.
    void saveFollowsTheFirstChange()
    {
        Rig rig;
        QTimer *timer = rig.saveTimer();
        rig.scheduler.start();
        QVERIFY(!rig.scheduler.isSaveArmed());
        rig.model.appendEntry(TextEntry{QStringLiteral("a"), 0, {}, 0});
        QVERIFY(rig.scheduler.isSaveArmed());
        QTRY_COMPARE(rig.saves, 1);
        QVERIFY(!rig.scheduler.isSaveArmed());

        rig.failingSaves = 1;
        rig.model.removeRowAt(0);
        QTRY_COMPARE(rig.saves, 3); // the failed one is tried again
        QVERIFY(!rig.scheduler.isSaveArmed());
        QTest::qWait(10);
        QCOMPARE(rig.saves, 3);

        rig.model.appendEntry(TextEntry{QStringLiteral("b"), 0, {}, 0});
        rig.scheduler.stop();
        QVERIFY(!timer->isActive());
        rig.scheduler.start();
        QVERIFY(rig.scheduler.isSaveArmed());
        rig.model.loadEntries({}); // a reload leaves nothing to save
        QVERIFY(!rig.scheduler.isSaveArmed());
    }

    // A second copy's marker is answered as soon as it is written while the
    // scheduler runs, and at the start otherwise; whatever it says, it goes.
    void markerIsAnsweredWhenWritten()
    {
        Rig rig;
        rig.writeMarker("[ReExecute]\r\nReally=  Yes \r\n");
        QTest::qWait(50);
        QCOMPARE(rig.shows, 0);
        rig.scheduler.start(); // written while stopped: answered now
        QCOMPARE(rig.shows, 1);
        QVERIFY(!QFile::exists(rig.rex));
        QVERIFY(!rig.scheduler.isCheckingMarkerByTimer());

        rig.writeMarker("[ReExecute]\r\nReally=yes\r\n");
        QTRY_VERIFY(!QFile::exists(rig.rex));
        rig.writeMarker("[ReExecute]\r\nReally=Yes\r\n");
        QTRY_COMPARE(rig.shows, 2);
        QTRY_VERIFY(!QFile::exists(rig.rex));
    }

    void fullListTakesNoRow()
    {
        Rig rig;
        for (int i = 0; i < kMaxListRows; ++i)
            rig.model.appendEntry(TextEntry{QString::number(i), 0, {}, 0});
        rig.copyAndCapture(QStringLiteral("new"));
        QCOMPARE(rig.model.count(), kMaxListRows);
        QCOMPARE(rig.listChanges, 0);
        QCOMPARE(historyOf(rig.monitor.history()), list("new")); // still offered by the tray menu
        rig.copyAndCapture(QString::number(kMaxListRows - 1));   // a stored text is still found
        QCOMPARE(RowSelection::selectedRows(&rig.selection), QList<int>{kMaxListRows - 1});
    }

    // Where the clipboard reports changes it is read again only after one.
    void readsOnlyAfterChangeNotification()
    {
        for (const bool notifies : {true, false}) {
            Rig rig;
            rig.clipboard.notifies = notifies;
            rig.clipboard.put(QStringLiteral("A"));
            rig.captures(5);
            QCOMPARE(rig.clipboard.reads, notifies ? 1 : 5);
            rig.clipboard.content = QStringLiteral("B"); // changed without a notification
            rig.clipboard.changes += notifies ? 1 : 0;
            rig.captures(1);
            QCOMPARE(rig.texts(), list("A|B"));
        }
    }

    // A text already weighed is weighed again when lastClipText changes, as when its
    // entry was deleted.
    void changedLastClipTextIsComparedAgain()
    {
        Rig rig;
        rig.copyAndCapture(QStringLiteral("A"));
        rig.model.removeRowAt(0);
        rig.monitor.setLastClipText(QString());
        rig.captures(1);
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
