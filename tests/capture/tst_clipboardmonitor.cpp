#include "capture/clipboardmonitor.h"
#include "fakes/fakeclipboard.h"
#include "store/textlistmodel.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString str(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

// A monitor over a fake clipboard and a list, counting what the hooks are asked to do.
struct Rig
{
    explicit Rig(const QString &rexPath = {})
        : monitor(clipboard, model, selection, rexPath,
                  {[this] { ++saves; }, [this] { ++shows; }, [this] { ++listChanges; }})
    {}
    void copyAndTick(const QString &text, bool secret = false)
    {
        clipboard.put(text, secret);
        monitor.tick(true);
    }
    QStringList texts() const
    {
        QStringList out;
        for (int row = 0; row < model.count(); ++row)
            out << model.entryAt(row).text;
        return out;
    }
    QStringList history() const
    {
        QStringList out;
        for (int i = 0; i <= monitor.history().historyLast(); ++i)
            out << monitor.history().historyText(i);
        return out;
    }
    QList<int> selected() const { return RowSelection::selectedRows(&selection); }

    FakeClipboard clipboard;
    TextListModel model;
    QItemSelectionModel selection{&model};
    int saves = 0, shows = 0, listChanges = 0;
    ClipboardMonitor monitor;
};

} // namespace

class TestClipboardMonitor : public QObject
{
    Q_OBJECT

private slots:
    void capture_data();
    void capture();
    void autoGetOffStillSavesAndAnswers();
    void fullListTakesNoRow();
    void periodicSave();
    void reExecuteMarker_data();
    void reExecuteMarker();
    void secretTextIsIgnored();
    void readsOnlyAfterChangeNotification();
    void changedLastClipTextIsComparedAgain();
    void hugeTextIsTaken_data();
    void hugeTextIsTaken();
};

void TestClipboardMonitor::capture_data()
{
    QTest::addColumn<QList<TextEntry>>("stored");
    QTest::addColumn<QStringList>("copies"); // each copied, then one tick
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<int>("listChanges");

    const QList<TextEntry> none;
    const QStringList A{str("A")}, AB{str("A"), str("B")};
    QTest::newRow("new text, not trimmed")
        << QList<TextEntry>{{str("old"), 0, {}, 0}} << QStringList{str(" new ")}
        << QStringList{str("old"), str(" new ")} << QList<int>{1} << QStringList{str(" new ")} << 1;
    QTest::newRow("same text twice")
        << none << QStringList{str("A"), str("A")} << A << QList<int>{0} << A << 1;
    QTest::newRow("A B A") << none << QStringList{str("A"), str("B"), str("A")} << AB
                           << QList<int>{0} << QStringList{str("A"), str("B"), str("A")} << 3;
    QTest::newRow("blank") << none << QStringList{QString(), str("   ")} << QStringList()
                           << QList<int>() << QStringList() << 0;
    QTest::newRow("line break") << none << QStringList{str("\r\n")} << QStringList{str("\r\n")}
                                << QList<int>{0} << QStringList{str("\r\n")} << 1;
    QTest::newRow("caption is not compared")
        << QList<TextEntry>{{str("body"), 0, str("Name"), 1}} << QStringList{str("Name")}
        << QStringList{str("body"), str("Name")} << QList<int>{1} << QStringList{str("Name")} << 1;
}

void TestClipboardMonitor::capture()
{
    QFETCH(QList<TextEntry>, stored);
    QFETCH(QStringList, copies);
    Rig rig;
    rig.model.loadEntries(stored);
    for (const QString &text : copies)
        rig.copyAndTick(text);
    QTEST(rig.texts(), "texts");
    QTEST(rig.selected(), "selected");
    QTEST(rig.history(), "history");
    QTEST(rig.listChanges, "listChanges");
    for (int row = stored.size(); row < rig.model.count(); ++row)
        QCOMPARE(rig.model.entryAt(row), (TextEntry{rig.model.entryAt(row).text, 0, {}, 0}));
}

void TestClipboardMonitor::autoGetOffStillSavesAndAnswers()
{
    QTemporaryDir dir;
    const QString rex = dir.filePath(str("Pastebasket.rex"));
    QFile marker(rex);
    QVERIFY(marker.open(QIODevice::WriteOnly) && marker.write("[ReExecute]\r\nReally=Yes\r\n"));
    marker.close();
    Rig rig(rex);
    rig.clipboard.put(str("A"));
    for (int i = 0; i < 601; ++i)
        rig.monitor.tick(false);
    QCOMPARE(rig.shows, 1);
    QCOMPARE(rig.saves, 1);
    QCOMPARE(rig.model.count() + rig.history().size(), 0);
    rig.monitor.tick(true); // "Automatically" ticked again
    QCOMPARE(rig.texts(), QStringList{str("A")});
}

void TestClipboardMonitor::fullListTakesNoRow()
{
    Rig rig;
    QList<TextEntry> entries(kMaxListRows);
    for (int i = 0; i < kMaxListRows; ++i)
        entries[i].text = QString::number(i);
    rig.model.loadEntries(entries);
    rig.copyAndTick(str("new"));
    QCOMPARE(rig.model.count(), kMaxListRows);
    QCOMPARE(rig.model.textDataLast(), kMaxListRows - 1);
    QCOMPARE(rig.listChanges, 0);
    QCOMPARE(rig.monitor.lastClipText(), str("new"));
    rig.monitor.history().makeRecentList();
    QCOMPARE(rig.monitor.history().recentText(0), str("new"));
    // A stored text is still found in a full list.
    rig.copyAndTick(QString::number(kMaxListRows - 1));
    QCOMPARE(rig.selected(), QList<int>{kMaxListRows - 1});
}

void TestClipboardMonitor::periodicSave()
{
    Rig rig;
    rig.monitor.tick(true);
    rig.monitor.resetForGroupLoad();
    for (int i = 0; i < 600; ++i)
        rig.monitor.tick(true);
    QCOMPARE(rig.monitor.saveElapsedMs(), 120000);
    QCOMPARE(rig.saves, 0);
    rig.monitor.tick(true);
    QCOMPARE(rig.saves, 1);
    QCOMPARE(rig.monitor.saveElapsedMs(), 0);
}

void TestClipboardMonitor::reExecuteMarker_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("shows");
    QTest::newRow("yes") << QByteArray("[ReExecute]\r\nReally=Yes\r\nCommand=\r\n") << 1;
    QTest::newRow("yes with blanks") << QByteArray("[ReExecute]\r\nReally=  Yes \r\n") << 1;
    QTest::newRow("lower case") << QByteArray("[ReExecute]\r\nReally=yes\r\n") << 0;
    QTest::newRow("no key") << QByteArray("[ReExecute]\r\nCommand=Yes\r\n") << 0;
    QTest::newRow("empty file") << QByteArray() << 0;
}

void TestClipboardMonitor::reExecuteMarker()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString rex = dir.filePath(str("Pastebasket.rex"));
    QFile marker(rex);
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.write(content);
    marker.close();
    Rig rig(rex);
    rig.monitor.tick(true);
    rig.monitor.tick(true);
    QTEST(rig.shows, "shows");
    QVERIFY(!QFile::exists(rex));
}

void TestClipboardMonitor::secretTextIsIgnored()
{
    Rig rig;
    rig.copyAndTick(str("hunter2"), true);
    rig.monitor.setLastClipText(str("x")); // makes it weigh the clipboard again
    rig.monitor.tick(true);
    QCOMPARE(rig.texts().size() + rig.history().size(), 0);
    QCOMPARE(rig.monitor.lastClipText(), str("x"));
    rig.copyAndTick(str("hunter2")); // the same text without the mark
    QCOMPARE(rig.texts(), QStringList{str("hunter2")});
}

void TestClipboardMonitor::readsOnlyAfterChangeNotification()
{
    for (const bool notifies : {true, false}) {
        Rig rig;
        rig.clipboard.notifies = notifies;
        rig.clipboard.put(str("A"));
        for (int i = 0; i < 5; ++i)
            rig.monitor.tick(true);
        QCOMPARE(rig.clipboard.reads, notifies ? 1 : 5);
        rig.clipboard.content = str("B"); // changed without a notification
        rig.clipboard.changes += notifies ? 1 : 0;
        rig.monitor.tick(true);
        QCOMPARE(rig.texts(), QStringList({str("A"), str("B")}));
    }
}

void TestClipboardMonitor::changedLastClipTextIsComparedAgain()
{
    Rig rig;
    rig.copyAndTick(str("A"));
    rig.model.removeRowAt(0);
    rig.monitor.setLastClipText(QString()); // as Delete of that entry does
    rig.monitor.tick(true);
    QCOMPARE(rig.texts(), QStringList{str("A")});

    rig.model.clearAll();
    rig.monitor.resetForGroupLoad();
    QCOMPARE(rig.monitor.lastClipText(), QString());
    rig.monitor.tick(true);
    QCOMPARE(rig.texts(), QStringList{str("A")});
    QCOMPARE(rig.history(), QStringList({str("A"), str("A"), str("A")}));

    rig.clipboard.put(str("B"));
    rig.monitor.setLastClipText(str("B")); // a command put it there itself
    rig.monitor.tick(true);
    QCOMPARE(rig.history().size(), 3);
}

void TestClipboardMonitor::hugeTextIsTaken_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("10 MB") << qsizetype(10'000'000);
    QTest::newRow("100 MB") << qsizetype(100'000'000);
}

void TestClipboardMonitor::hugeTextIsTaken()
{
    QFETCH(qsizetype, size);
    Rig rig;
    QString big(size, QLatin1Char('x'));
    big[0] = QLatin1Char('\r');
    big[1] = QLatin1Char('\n');
    rig.copyAndTick(big);
    QCOMPARE(rig.model.entryAt(0).text.size(), size);
    QCOMPARE(rig.model.lineAt(0), str("  [cr]") + QString(124, QLatin1Char('x')) + str("..."));
}

QTEST_GUILESS_MAIN(TestClipboardMonitor)
#include "tst_clipboardmonitor.moc"
