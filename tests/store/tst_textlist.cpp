#include "store/textlistmodel.h"
#include "storetestutil.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>

class TestTextList : public QObject
{
    Q_OBJECT

private:
    TextListModel *model = nullptr;
    QAbstractItemModelTester *tester = nullptr;

    QList<qint32> tags() const
    {
        QList<qint32> out;
        for (int row = 0; row < model->count(); ++row)
            out.append(model->tagAt(row));
        return out;
    }
    void append(std::initializer_list<const char *> texts)
    {
        for (const char *t : texts)
            model->appendEntry(entry(QString::fromUtf8(t)));
    }

private slots:
    void init()
    {
        model = new TextListModel(this);
        tester = new QAbstractItemModelTester(
            model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
    }
    void cleanup() { delete model; }

    void listText_data()
    {
        QTest::addColumn<TextEntry>("e");
        QTest::addColumn<QString>("line");
        const QString x124(124, QLatin1Char('x'));
        const QString x126(126, QLatin1Char('x'));
        const QString x127(127, QLatin1Char('x'));
        const QString x128(128, QLatin1Char('x'));
        QTest::newRow("crlf") << entry(QStringLiteral("a\r\nb")) << QStringLiteral("  a[cr]b");
        QTest::newRow("lone cr and lf")
            << entry(QStringLiteral("a\rb\nc\n\r")) << QStringLiteral("  a\rb\nc\n\r");
        QTest::newRow("empty") << entry(QString()) << QStringLiteral("  ");
        QTest::newRow("128 whole") << entry(x128) << QStringLiteral("  ") + x128;
        QTest::newRow("129 cut") << entry(x128 + QLatin1Char('y'))
                                 << QStringLiteral("  ") + x128 + QStringLiteral("...");
        QTest::newRow("128 after crlf") << entry(x124 + QStringLiteral("\r\n"))
                                        << QStringLiteral("  ") + x124 + QStringLiteral("[cr]");
        QTest::newRow("cr cut in the middle")
            << entry(x126 + QStringLiteral("\r\nmore"))
            << QStringLiteral("  ") + x126 + QStringLiteral("[c...");
        QTest::newRow("cr cut after its bracket")
            << entry(x127 + QStringLiteral("\r\n"))
            << QStringLiteral("  ") + x127 + QStringLiteral("[...");
        QTest::newRow("long text") << entry(x128 + x128 + QStringLiteral("\r\n"), 1)
                                   << QStringLiteral("# ") + x128 + QStringLiteral("...");
        QTest::newRow("protected") << entry(QStringLiteral("t"), 1) << QStringLiteral("# t");
        QTest::newRow("protect 2 shows plain")
            << entry(QStringLiteral("t"), 2) << QStringLiteral("  t");
        QTest::newRow("named and protected")
            << entry(QStringLiteral("t"), 1, QStringLiteral("cap\r\n") + x128, 1)
            << QStringLiteral("@ cap\r\n") + x128;
        QTest::newRow("named empty caption")
            << entry(QStringLiteral("t"), 0, QString(), 1) << QStringLiteral("@ ");
        QTest::newRow("named 2 shows text")
            << entry(QStringLiteral("t"), 0, QStringLiteral("c"), 2) << QStringLiteral("  t");
    }
    void listText()
    {
        QFETCH(TextEntry, e);
        QFETCH(QString, line);
        QCOMPARE(makeListText(e), line);
    }

    void keptAndCounter()
    {
        QVERIFY(!isKept(entry(QStringLiteral("t"))));
        QVERIFY(isKept(entry(QStringLiteral("t"), 2)));
        QVERIFY(isKept(entry(QStringLiteral("t"), 0, {}, -1)));
        QVERIFY(!counterIsWarning(999));
        QVERIFY(counterIsWarning(1000));
    }

    void appendShowsNewSlotAtBottom()
    {
        QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
        append({"a", "b"});
        QCOMPARE(model->appendEntry(entry(QStringLiteral("c"), 1)), 2);
        QCOMPARE(inserted.size(), 3);
        QCOMPARE(model->textDataLast(), 2);
        QCOMPARE(tags(), QList<qint32>({0, 1, 2}));
        const QModelIndex last = model->index(2);
        QCOMPARE(model->data(last).toString(), QStringLiteral("# c"));
        QCOMPARE(model->data(last, TextListModel::TagRole).toInt(), 2);
    }

    void removeKeepsSlot()
    {
        append({"a", "b", "c"});
        model->removeRowAt(1);
        QCOMPARE(model->count(), 2);
        QCOMPARE(model->textDataLast(), 2);
        QCOMPARE(tags(), QList<qint32>({0, 2}));
        QCOMPARE(model->findText(QStringLiteral("b")), -1);
        QCOMPARE(model->entriesInRowOrder(),
                 QList<TextEntry>({entry(QStringLiteral("a")), entry(QStringLiteral("c"))}));
        // A new text takes a new slot, never the one left behind.
        QCOMPARE(model->appendEntry(entry(QStringLiteral("d"))), 2);
        QCOMPARE(tags(), QList<qint32>({0, 2, 3}));
    }

    void swapMovesRowsNotSlots()
    {
        append({"a", "b", "a"});
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        model->swapRows(0, 1);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(tags(), QList<qint32>({1, 0, 2}));
        QCOMPARE(model->lineAt(0), QStringLiteral("  b"));
        QCOMPARE(model->textData().at(0).text, QStringLiteral("a"));
        QCOMPARE(model->findText(QStringLiteral("a")), 1);
        QCOMPARE(model->findText(QStringLiteral("A")), -1);
        QCOMPARE(model->entriesInRowOrder().first().text, QStringLiteral("b"));
    }

    void setEntryRewritesLine()
    {
        append({"a", "b"});
        model->swapRows(0, 1);
        model->setEntryAt(0, entry(QStringLiteral("b2"), 0, QStringLiteral("cap"), 1));
        QCOMPARE(model->lineAt(0), QStringLiteral("@ cap"));
        QCOMPARE(model->textData().at(1).text, QStringLiteral("b2"));
        QCOMPARE(model->textData().at(0).text, QStringLiteral("a"));
    }

    void loadReplacesEverything()
    {
        append({"old", "old2"});
        model->removeRowAt(0);
        QSignalSpy reset(model, &QAbstractItemModel::modelReset);
        model->loadEntries({entry(QStringLiteral("x")), entry(QStringLiteral("y"), 1)});
        QCOMPARE(reset.size(), 1);
        QCOMPARE(model->textDataLast(), 1);
        QCOMPARE(tags(), QList<qint32>({0, 1}));
        QCOMPARE(model->lineAt(1), QStringLiteral("# y"));
        model->clearAll();
        QCOMPARE(model->count(), 0);
        QCOMPARE(model->textDataLast(), -1);
    }

    void rowSelection()
    {
        append({"a", "b", "c", "d"});
        QItemSelectionModel selection(model);
        RowSelection::setSelected(&selection, 3, true);
        RowSelection::setSelected(&selection, 1, true);
        QCOMPARE(RowSelection::selectedRows(&selection), QList<int>({1, 3}));
        RowSelection::setSelected(&selection, 3, false);
        QVERIFY(!RowSelection::isSelected(&selection, 3));
        RowSelection::selectOnly(&selection, 2);
        QCOMPARE(RowSelection::selectedRows(&selection), QList<int>({2}));
        RowSelection::selectOnly(&selection, 4);
        QCOMPARE(RowSelection::selectedCount(&selection), 0);
        RowSelection::setSelected(&selection, 0, true);
        RowSelection::selectOnly(&selection, -1);
        QCOMPARE(RowSelection::selectedCount(&selection), 0);
    }
};

QTEST_GUILESS_MAIN(TestTextList)
#include "tst_textlist.moc"
