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
            model->appendEntry(te(QString::fromUtf8(t)));
    }

private slots:
    void init()
    {
        model = new TextListModel(this);
        new QAbstractItemModelTester( // checks every change the tests make
            model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
    }
    void cleanup() { delete model; }

    void listText_data()
    {
        QTest::addColumn<TextEntry>("e");
        QTest::addColumn<QString>("line");
        const auto x = [](int n) { return QString(n, QLatin1Char('x')); };
        const auto row = [](const char *name, const QString &text, const QString &line,
                            qint16 protect = 0, const QString &caption = {}, qint16 named = 0) {
            QTest::newRow(name) << te(text, protect, caption, named) << line;
        };
        row("crlf", QStringLiteral("a\r\nb"), QStringLiteral("  a[cr]b"));
        row("lone cr and lf", QStringLiteral("a\rb\nc\n\r"), QStringLiteral("  a\rb\nc\n\r"));
        row("128 whole after crlf", x(124) + u"\r\n", u"  " + x(124) + u"[cr]");
        row("129 cut", x(128) + u"y", u"  " + x(128) + u"...");
        row("cr cut in the middle", x(126) + u"\r\nmore", u"  " + x(126) + u"[c...");
        row("cr cut after its bracket", x(127) + u"\r\n", u"  " + x(127) + u"[...");
        row("long text", x(256) + u"\r\n", u"# " + x(128) + u"...", 1);
        row("protect 2 shows plain", QStringLiteral("t"), QStringLiteral("  t"), 2);
        row("named and protected", QStringLiteral("t"), u"@ cap\r\n" + x(200), 1,
            u"cap\r\n" + x(200), 1);
        row("named empty caption", QStringLiteral("t"), QStringLiteral("@ "), 0, {}, 1);
        row("named 2 shows text", QStringLiteral("t"), QStringLiteral("  t"), 0,
            QStringLiteral("c"), 2);
    }
    void listText()
    {
        QFETCH(TextEntry, e);
        QFETCH(QString, line);
        QCOMPARE(makeListText(e), line);
    }

    void appendShowsNewSlotAtBottom()
    {
        QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
        append({"a", "b"});
        QCOMPARE(model->appendEntry(te(u"c", 1)), 2);
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
        QCOMPARE(model->entriesInRowOrder(), QList<TextEntry>({te(u"a"), te(u"c")}));
        // A new text takes a new slot, never the one left behind.
        QCOMPARE(model->appendEntry(te(u"d")), 2);
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
        model->setEntryAt(0, te(u"b2", 0, QStringLiteral("cap"), 1));
        QCOMPARE(model->lineAt(0), QStringLiteral("@ cap"));
        QCOMPARE(model->textData().at(1).text, QStringLiteral("b2"));
        QCOMPARE(model->textData().at(0).text, QStringLiteral("a"));
    }

    void loadReplacesEverything()
    {
        append({"old", "old2"});
        model->removeRowAt(0);
        QSignalSpy reset(model, &QAbstractItemModel::modelReset);
        model->loadEntries({te(u"x"), te(u"y", 1)});
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
