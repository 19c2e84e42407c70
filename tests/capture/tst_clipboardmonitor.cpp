#include "capture/capturescheduler.h"
#include "capture/clipboardmonitor.h"
#include "fakes/fakeclipboard.h"
#include "store/textlistmodel.h"
#include "support/files.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Texts written as "a|b|c"; "" is no text, "|" two empty ones.
QStringList list(const char *texts)
{
    return *texts ? QString::fromLatin1(texts).split(u'|') : QStringList();
}

// A monitor over a fake clipboard and a list, counting what the hooks are asked to
// do, and the scheduler that runs it (stopped until a test starts it).
struct Rig
{
    QTemporaryDir dir;
    const QString rex = dir.filePath(u"Pastebasket.rex"_s);
    FakeClipboard clipboard;
    TextListModel model;
    QItemSelectionModel selection{&model};
    int saves = 0, shows = 0, listChanges = 0;
    ClipboardMonitor monitor{
        clipboard, model, selection, rex,
        ClipboardMonitor::Hooks{[this] { ++shows; }, [this] { ++listChanges; }}};
    int failingSaves = 0; // the first this many saves fail, leaving the group changed
    CaptureScheduler scheduler{monitor, clipboard, model, rex, CaptureScheduler::Hooks{[this] {
                                   if (++saves > failingSaves)
                                       model.setModified(false);
                               }}};

    // A leading "*" marks a text as secret, as a password manager does. "~" copies
    // nothing: the first row is deleted and lastClipText cleared, as a deletion does.
    void copyAndCapture(const QString &text)
    {
        if (text == u"~") {
            model.removeRowAt(0);
            monitor.setLastClipText(QString());
        } else {
            clipboard.put(text.mid(text.startsWith(u'*')), text.startsWith(u'*'));
        }
        monitor.capture();
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
        QTest::addColumn<int>("listChanges");
        const QList<TextEntry> none;
        QStringList full;
        QList<TextEntry> fullList;
        for (int i = 0; i < kMaxListRows; ++i)
            fullList << TextEntry{full.emplaceBack(QString::number(i)), 0, {}, 0};
        // clang-format off
        QTest::newRow("new text, not trimmed; caption is not compared") << QList<TextEntry>{{u"body"_s, 0, u"Name"_s, 1}} << list(" Name ") << list("body| Name ") << QList<int>{1} << 1;
        QTest::newRow("same text twice, blanks between") << none << list("A||   |A") << list("A") << QList<int>{0} << 1;
        QTest::newRow("A B A") << none << list("A|B|A") << list("A|B") << QList<int>{0} << 3;
        QTest::newRow("secret text ignored, the same unmarked taken") << none << list("*pw|A|*pw|pw") << list("A|pw") << QList<int>{1} << 2;
        // A text already weighed is weighed again when lastClipText changes.
        QTest::newRow("deleted, then taken again") << none << list("A|~") << list("A") << QList<int>{0} << 2;
        // A full list takes no row, and a stored text is still found.
        QTest::newRow("full list") << fullList << list("new|7") << full << QList<int>{7} << 1;
        // clang-format on
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
        QTEST(rig.listChanges, "listChanges");
    }

    // A change captures at once, by itself, only while the scheduler runs and
    // "Automatically" is on; otherwise the text is taken when both are so again.
    // Without change reports the clipboard is polled, and only while running; with
    // them it is read once per change, or when its change count moved.
    void scheduling_data()
    {
        QTest::addColumn<bool>("notifies");
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("autoGet");
        QTest::newRow("running, on") << true << true << true;
        QTest::newRow("running, off") << true << true << false;
        QTest::newRow("stopped, on") << true << false << true;
        QTest::newRow("no change reports: polled") << false << true << true;
    }
    void scheduling()
    {
        QFETCH(bool, notifies);
        QFETCH(bool, running);
        QFETCH(bool, autoGet);
        Rig rig;
        rig.clipboard.notifies = notifies;
        rig.scheduler.setAutoGet(autoGet);
        if (running)
            rig.scheduler.start();
        QCOMPARE(rig.scheduler.isPolling(), !notifies);
        rig.clipboard.put(u"A"_s);
        if (notifies)
            QCOMPARE(rig.texts(), running && autoGet ? list("A") : list(""));
        rig.scheduler.start();
        rig.scheduler.setAutoGet(true);
        QTRY_COMPARE(rig.texts(), list("A"));
        rig.monitor.capture(); // a start or "Automatically" may ask for one more look
        const int reads = rig.clipboard.reads;
        for (int i = 0; i < 5; ++i)
            rig.monitor.capture();
        if (notifies)
            QCOMPARE(rig.clipboard.reads, reads); // no change, no read
        rig.clipboard.content = u"B"_s;           // changed without a notice
        ++rig.clipboard.changes;
        rig.monitor.capture();
        QCOMPARE(rig.texts(), list("A|B"));
        rig.scheduler.stop();
        QVERIFY(!rig.scheduler.isPolling());
    }

    // The periodic save waits for the first change since the group was loaded or
    // saved; a failed save is tried again a period later; stopping holds it.
    void saveFollowsTheFirstChange()
    {
        Rig rig;
        auto *timer = rig.scheduler.findChild<QTimer *>(u"timSave"_s);
        timer->setInterval(0); // run out at once when armed
        rig.scheduler.start();
        QVERIFY(!rig.scheduler.isSaveArmed());
        rig.failingSaves = 1;
        rig.model.appendEntry(TextEntry{u"a"_s, 0, {}, 0});
        QVERIFY(rig.scheduler.isSaveArmed());
        QTRY_COMPARE(rig.saves, 2); // the failed one is tried again
        QVERIFY(!rig.scheduler.isSaveArmed());
        QTest::qWait(10);
        QCOMPARE(rig.saves, 2);

        rig.model.appendEntry(TextEntry{u"b"_s, 0, {}, 0});
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
        QVERIFY(writeBytes(rig.rex, "[ReExecute]\r\nReally=  Yes \r\n"));
        QTest::qWait(50);
        QCOMPARE(rig.shows, 0);
        rig.scheduler.start(); // written while stopped: answered now
        QCOMPARE(rig.shows, 1);
        QVERIFY(!QFile::exists(rig.rex));
        QVERIFY(!rig.scheduler.isCheckingMarkerByTimer());

        QVERIFY(writeBytes(rig.rex, "[ReExecute]\r\nReally=yes\r\n"));
        QTRY_VERIFY(!QFile::exists(rig.rex));
        QVERIFY(writeBytes(rig.rex, "[ReExecute]\r\nReally=Yes\r\n"));
        QTRY_COMPARE(rig.shows, 2);
        QTRY_VERIFY(!QFile::exists(rig.rex));
    }
};

QTEST_GUILESS_MAIN(TestClipboardMonitor)
#include "tst_clipboardmonitor.moc"
