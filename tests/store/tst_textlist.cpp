#include "store/textlistmodel.h"
#include "storetestutil.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

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
};

QTEST_GUILESS_MAIN(TestTextList)
#include "tst_textlist.moc"
