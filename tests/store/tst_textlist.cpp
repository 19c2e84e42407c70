#include "store/textlistmodel.h"
#include "storetestutil.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <functional>

using ModelChange = std::function<void(TextListModel &)>;
Q_DECLARE_METATYPE(ModelChange)

class TestTextList : public QObject
{
    Q_OBJECT

private slots:
    void listText_data()
    {
        QTest::addColumn<TextEntry>("e");
        QTest::addColumn<QString>("line");
        const QString x124(124, u'x'), x126(126, u'x'), x128(128, u'x');
        const auto row = [](const char *name, const TextEntry &e, const QString &line) {
            QTest::newRow(name) << e << line;
        };
        row("crlf", te(u"a\r\nb"), QStringLiteral("  a[cr]b"));
        row("lone cr and lf", te(u"a\rb\nc\n\r"), QStringLiteral("  a\rb\nc\n\r"));
        row("128 whole after crlf", te(QString(x124 + u"\r\n")), u"  " + x124 + u"[cr]");
        row("cr cut in the middle", te(QString(x126 + u"\r\nmore")), u"  " + x126 + u"[c...");
        row("protected, cut", te(QString(x128 + x128), 1), u"# " + x128 + u"...");
        row("protect 2 shows plain", te(u"t", 2), QStringLiteral("  t"));
        row("named: whole caption", te(u"t", 1, QString(x128 + u"\r\n" + x128), 1),
            u"@ " + x128 + u"\r\n" + x128);
        row("named 2 shows text", te(u"t", 0, u"c", 2), QStringLiteral("  t"));
    }
    void listText()
    {
        QFETCH(TextEntry, e);
        QTEST(makeListText(e), "line");
    }

    // Views follow every change: the tester checks inserts, removals and resets, the spy
    // checks that swaps and edits redraw their rows. A deleted row is gone from searches.
    void rowsFollowChanges()
    {
        TextListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.loadEntries({te(u"a"), te(u"b"), te(u"c")});
        model.removeRowAt(1);
        model.appendEntry(te(u"d", 1));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.swapRows(0, 1);
        model.setEntryAt(0, te(u"c2", 0, u"cap", 1));
        QCOMPARE(changed.size(), 3);
        QCOMPARE(model.entriesInRowOrder(),
                 QList<TextEntry>({te(u"c2", 0, u"cap", 1), te(u"a"), te(u"d", 1)}));
        QCOMPARE(model.data(model.index(0)).toString(), QStringLiteral("@ cap"));
        QCOMPARE(model.findText(QStringLiteral("b")), -1);
    }

    // Every change of the rows or of an entry marks the group changed, and says
    // so once; loading, or saving (setModified(false)), marks it unchanged.
    void modifiedFlag_data()
    {
        QTest::addColumn<ModelChange>("change");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("notices");
        using F = ModelChange;
        QTest::newRow("append") << F([](TextListModel &m) { m.appendEntry(te(u"c")); }) << true
                                << 1;
        QTest::newRow("remove") << F([](TextListModel &m) { m.removeRowAt(0); }) << true << 1;
        QTest::newRow("swap") << F([](TextListModel &m) { m.swapRows(0, 1); }) << true << 1;
        QTest::newRow("protect") << F([](TextListModel &m) { m.setEntryAt(1, te(u"b", 1)); })
                                 << true << 1;
        QTest::newRow("replace (Clear)")
            << F([](TextListModel &m) { m.replaceEntries({te(u"a")}); }) << true << 1;
        QTest::newRow("two changes") << F([](TextListModel &m) {
            m.removeRowAt(0);
            m.appendEntry(te(u"a"));
        }) << true << 1;
        QTest::newRow("edit into itself")
            << F([](TextListModel &m) { m.setEntryAt(1, te(u"b")); }) << false << 0;
        QTest::newRow("swap a row with itself")
            << F([](TextListModel &m) { m.swapRows(1, 1); }) << false << 0;
        QTest::newRow("change, then load") << F([](TextListModel &m) {
            m.appendEntry(te(u"c"));
            m.loadEntries({te(u"x")});
        }) << false << 2;
        QTest::newRow("change, then clear all") << F([](TextListModel &m) {
            m.removeRowAt(0);
            m.clearAll();
        }) << false << 2;
    }
    void modifiedFlag()
    {
        QFETCH(ModelChange, change);
        TextListModel model;
        model.loadEntries({te(u"a"), te(u"b")});
        QSignalSpy spy(&model, &TextListModel::modifiedChanged);
        change(model);
        QTEST(model.isModified(), "modified");
        QTEST(int(spy.size()), "notices");
        model.setModified(false);
        QVERIFY(!model.isModified());
    }
};

QTEST_GUILESS_MAIN(TestTextList)
#include "tst_textlist.moc"
