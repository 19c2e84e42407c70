#include "capture/clipboardmonitor.h"
#include "fakes/fakeclipboard.h"
#include "settings/inifile.h"
#include "settings/settingskeys.h"
#include "store/textlistmodel.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A monitor over a fake clipboard and an empty list, counting what the hooks are asked to do.
struct Rig
{
    explicit Rig(const QString &rexPath = {})
        : monitor(clipboard, model, selection, rexPath,
                  {[this] { ++saves; }, [this] { ++shows; }, [this] { ++listChanges; }})
    {}

    void copy(const QString &text, bool secret = false) { clipboard.put(text, secret); }
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

    FakeClipboard clipboard;
    TextListModel model;
    QItemSelectionModel selection{&model};
    int saves = 0;
    int shows = 0;
    int listChanges = 0;
    ClipboardMonitor monitor;
};

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

} // namespace

class TestClipboardMonitor : public QObject
{
    Q_OBJECT

private slots:
    void newTextIsAppendedAndSelected();
    void sameTextTwiceIsTakenOnce();
    void knownTextOnlySelectsItsRow();
    void whichTextsAreTaken_data();
    void whichTextsAreTaken();
    void captionIsNotCompared();
    void autoGetOffStillSavesAndAnswers();
    void fullListTakesNoRow();
    void periodicSave();
    void reExecuteMarker_data();
    void reExecuteMarker();
    void secretTextIsIgnored();
    void readsOnlyAfterChangeNotification();
    void changedLastClipTextIsComparedAgain();
    void groupLoadTakesClipboardTextAgain();
    void hugeTextIsTaken_data();
    void hugeTextIsTaken();
};

void TestClipboardMonitor::newTextIsAppendedAndSelected()
{
    Rig rig;
    rig.model.loadEntries({TextEntry{text("old"), 0, {}, 0}});
    RowSelection::selectOnly(&rig.selection, 0);
    rig.copy(text(" new text "));
    rig.monitor.tick(true);
    QCOMPARE(rig.texts(), QStringList({text("old"), text(" new text ")}));
    QCOMPARE(rig.model.entryAt(1), (TextEntry{text(" new text "), 0, {}, 0}));
    QCOMPARE(rig.model.tagAt(1), 1);
    QCOMPARE(RowSelection::selectedRows(&rig.selection), QList<int>{1});
    QCOMPARE(rig.listChanges, 1);
    QCOMPARE(rig.monitor.lastClipText(), text(" new text "));
}

void TestClipboardMonitor::sameTextTwiceIsTakenOnce()
{
    Rig rig;
    rig.copy(text("A"));
    rig.monitor.tick(true);
    rig.copy(text("A"));
    rig.monitor.tick(true);
    rig.monitor.tick(true);
    QCOMPARE(rig.texts(), QStringList{text("A")});
    QCOMPARE(rig.history(), QStringList{text("A")});
    QCOMPARE(rig.listChanges, 1);
}

void TestClipboardMonitor::knownTextOnlySelectsItsRow()
{
    Rig rig;
    for (const char *t : {"A", "B", "A"}) {
        rig.copy(text(t));
        rig.monitor.tick(true);
    }
    QCOMPARE(rig.texts(), QStringList({text("A"), text("B")}));
    QCOMPARE(RowSelection::selectedRows(&rig.selection), QList<int>{0});
    QCOMPARE(rig.listChanges, 3);
    QCOMPARE(rig.history(), QStringList({text("A"), text("B"), text("A")}));
    rig.monitor.history().makeRecentList();
    QCOMPARE(rig.monitor.history().recentLast(), 1);
    QCOMPARE(rig.monitor.history().recentText(0), text("A"));
    QCOMPARE(rig.monitor.history().recentText(1), text("B"));
}

void TestClipboardMonitor::whichTextsAreTaken_data()
{
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QString>("line"); // "" when nothing is taken

    QTest::newRow("nothing") << QString() << QString();
    QTest::newRow("three spaces") << text("   ") << QString();
    QTest::newRow("line break") << text("\r\n") << text("  [cr]");
    QTest::newRow("tab") << text("\t") << text("  \t");
    QTest::newRow("not trimmed") << text("  x  ") << text("    x  ");
}

void TestClipboardMonitor::whichTextsAreTaken()
{
    QFETCH(QString, clip);
    QFETCH(QString, line);
    Rig rig;
    rig.copy(clip);
    rig.monitor.tick(true);
    if (line.isEmpty()) {
        QCOMPARE(rig.model.count(), 0);
        QCOMPARE(rig.monitor.history().historyLast(), -1);
        QCOMPARE(rig.monitor.lastClipText(), QString());
    } else {
        QCOMPARE(rig.texts(), QStringList{clip});
        QCOMPARE(rig.model.lineAt(0), line);
        QCOMPARE(rig.history(), QStringList{clip});
    }
}

void TestClipboardMonitor::captionIsNotCompared()
{
    Rig rig;
    rig.model.loadEntries({TextEntry{text("body"), 0, text("Name"), 1}});
    rig.copy(text("Name"));
    rig.monitor.tick(true);
    QCOMPARE(rig.texts(), QStringList({text("body"), text("Name")}));
    QCOMPARE(RowSelection::selectedRows(&rig.selection), QList<int>{1});
}

void TestClipboardMonitor::autoGetOffStillSavesAndAnswers()
{
    QTemporaryDir dir;
    const QString rex = dir.filePath(QStringLiteral("Pastebasket.rex"));
    QVERIFY(IniFile::write(rex, Setting::ReExecuteReally.section, Setting::ReExecuteReally.key,
                           u"Yes"));
    Rig rig(rex);
    rig.copy(text("A"));
    for (int i = 0; i < 601; ++i)
        rig.monitor.tick(false);
    QCOMPARE(rig.shows, 1);
    QVERIFY(!QFile::exists(rex));
    QCOMPARE(rig.saves, 1);
    QCOMPARE(rig.model.count(), 0);
    QCOMPARE(rig.monitor.history().historyLast(), -1);

    rig.monitor.tick(true);
    QCOMPARE(rig.texts(), QStringList{text("A")});
}

void TestClipboardMonitor::fullListTakesNoRow()
{
    Rig rig;
    QList<TextEntry> entries(kMaxListRows);
    for (int i = 0; i < kMaxListRows; ++i)
        entries[i].text = QString::number(i);
    rig.model.loadEntries(entries);

    rig.copy(text("new"));
    rig.monitor.tick(true);
    QCOMPARE(rig.model.count(), kMaxListRows);
    QCOMPARE(rig.model.textDataLast(), kMaxListRows - 1);
    QCOMPARE(rig.listChanges, 0);
    QCOMPARE(rig.monitor.lastClipText(), text("new"));
    rig.monitor.history().makeRecentList();
    QCOMPARE(rig.monitor.history().recentText(0), text("new"));

    // A stored text is still found and selected in a full list.
    rig.copy(QString::number(kMaxListRows - 1));
    rig.monitor.tick(true);
    QCOMPARE(RowSelection::selectedRows(&rig.selection), QList<int>{kMaxListRows - 1});
    QCOMPARE(rig.listChanges, 1);
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
    for (int i = 0; i < 601; ++i)
        rig.monitor.tick(true);
    QCOMPARE(rig.saves, 2);
}

void TestClipboardMonitor::reExecuteMarker_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("shows");

    QTest::newRow("yes") << text("[ReExecute]\r\nReally=Yes\r\nCommand=\r\n") << 1;
    QTest::newRow("yes with blanks") << text("[ReExecute]\r\nReally=  Yes \r\n") << 1;
    QTest::newRow("lower case") << text("[ReExecute]\r\nReally=yes\r\n") << 0;
    QTest::newRow("no key") << text("[ReExecute]\r\nCommand=Yes\r\n") << 0;
    QTest::newRow("other section") << text("[Other]\r\nReally=Yes\r\n") << 0;
    QTest::newRow("empty file") << QString() << 0;
}

void TestClipboardMonitor::reExecuteMarker()
{
    QFETCH(QString, content);
    QFETCH(int, shows);
    QTemporaryDir dir;
    const QString rex = dir.filePath(QStringLiteral("Pastebasket.rex"));
    QFile file(rex);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content.toUtf8());
    file.close();

    Rig rig(rex);
    rig.monitor.tick(true);
    QCOMPARE(rig.shows, shows);
    QVERIFY(!QFile::exists(rex));
    rig.monitor.tick(true);
    QCOMPARE(rig.shows, shows);
}

void TestClipboardMonitor::secretTextIsIgnored()
{
    Rig rig;
    rig.copy(text("A"));
    rig.monitor.tick(true);
    rig.copy(text("hunter2"), true);
    rig.monitor.tick(true);
    rig.monitor.setLastClipText(QString());
    rig.monitor.tick(true);
    QCOMPARE(rig.texts(), QStringList{text("A")});
    QCOMPARE(rig.history(), QStringList{text("A")});
    QCOMPARE(rig.monitor.lastClipText(), QString());

    // The same text copied without the mark is an ordinary text.
    rig.copy(text("hunter2"));
    rig.monitor.tick(true);
    QCOMPARE(rig.texts(), QStringList({text("A"), text("hunter2")}));
}

void TestClipboardMonitor::readsOnlyAfterChangeNotification()
{
    for (const bool notifies : {true, false}) {
        Rig rig;
        rig.clipboard.notifies = notifies;
        rig.copy(text("A"));
        for (int i = 0; i < 5; ++i)
            rig.monitor.tick(true);
        QCOMPARE(rig.clipboard.reads, notifies ? 1 : 5);

        // Another program changes the clipboard behind a stale read.
        rig.clipboard.content = text("B");
        if (notifies)
            ++rig.clipboard.changes;
        rig.monitor.tick(true);
        QCOMPARE(rig.texts(), QStringList({text("A"), text("B")}));
        QCOMPARE(rig.clipboard.reads, notifies ? 2 : 6);
    }
}

void TestClipboardMonitor::changedLastClipTextIsComparedAgain()
{
    Rig rig;
    rig.copy(text("A"));
    rig.monitor.tick(true);
    rig.monitor.setLastClipText(QString()); // as Delete of that entry does
    rig.model.removeRowAt(0);
    rig.monitor.tick(true);
    QCOMPARE(rig.texts(), QStringList{text("A")});
    QCOMPARE(rig.history(), QStringList({text("A"), text("A")}));

    // Set by a command to what the clipboard holds: nothing more to take.
    rig.copy(text("B"));
    rig.monitor.setLastClipText(text("B"));
    rig.monitor.tick(true);
    QCOMPARE(rig.texts(), QStringList{text("A")});
    QCOMPARE(rig.monitor.history().historyLast(), 1);
}

void TestClipboardMonitor::groupLoadTakesClipboardTextAgain()
{
    Rig rig;
    rig.copy(text("A"));
    rig.monitor.tick(true);
    rig.model.loadEntries({TextEntry{text("other group"), 0, {}, 0}});
    rig.monitor.resetForGroupLoad();
    QCOMPARE(rig.monitor.lastClipText(), QString());
    rig.monitor.tick(true);
    QCOMPARE(rig.texts(), QStringList({text("other group"), text("A")}));
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
    rig.copy(big);
    rig.monitor.tick(true);
    QCOMPARE(rig.model.count(), 1);
    QCOMPARE(rig.model.entryAt(0).text.size(), size);
    QCOMPARE(rig.model.lineAt(0), text("  [cr]") + QString(124, QLatin1Char('x')) + text("..."));
}

QTEST_GUILESS_MAIN(TestClipboardMonitor)
#include "tst_clipboardmonitor.moc"
