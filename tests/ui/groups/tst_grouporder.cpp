#include "fakes/fakeprompter.h"
#include "grouptestutil.h"
#include "ui/groups/grouporderdialog.h"
#include "ui/groups/grouporderlist.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {
// Rows named by letters ("ABCD"), the ones in `selected` selected; numbers 1, 2, ...
QList<OrderRow> lettered(const QString &names, const QString &selected)
{
    QList<OrderRow> rows;
    for (qsizetype i = 0; i < names.size(); ++i)
        rows.append(
            OrderRow{names.mid(i, 1), static_cast<qint32>(i + 1), selected.contains(names.at(i))});
    return rows;
}

QString namesOf(const QList<OrderRow> &rows)
{
    QString names;
    for (const OrderRow &row : rows)
        names += row.name;
    return names;
}

QString selectedOf(const QList<OrderRow> &rows)
{
    QString names;
    for (const OrderRow &row : rows) {
        if (row.selected)
            names += row.name;
    }
    return names;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QList<std::pair<QString, QString>> positionsOf(const AppPaths &paths)
{
    return IniDocument::parse(QString::fromUtf8(fileBytes(paths.registryFile())))
        .entries(u"GroupNo");
}

std::pair<QString, QString> position(int n, int number)
{
    return {QStringLiteral("Group") + QString::number(n), QString::number(number)};
}
} // namespace

class TestGroupOrder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void moveRows_data();
    void moveRows();
    void defaultGroupNeitherListedNorMovable();

    void dialogControls();
    void okWritesNewOrder();
    void nothingWrittenUnlessOk_data();
    void nothingWrittenUnlessOk();
    void onlyDefaultGroup();
    void failedWriteKeepsDialogOpen();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    AppPaths m_paths;
    FakePrompter m_prompter;
};

void TestGroupOrder::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_paths = makeTestPaths(*m_dir);
    m_prompter = FakePrompter();
}

void TestGroupOrder::cleanup()
{
    m_dir.reset();
}

void TestGroupOrder::moveRows_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("down");
    QTest::addColumn<QString>("expected");

    QTest::newRow("block up") << "BC" << false << "BCAD";
    QTest::newRow("apart up") << "BD" << false << "BADC";
    QTest::newRow("apart down") << "AC" << true << "BADC";
    QTest::newRow("block down") << "BC" << true << "ADBC";
    QTest::newRow("first row among selected, up") << "AC" << false << "ABCD";
    QTest::newRow("last row among selected, down") << "BD" << true << "ABCD";
    QTest::newRow("none selected") << "" << false << "ABCD";
    QTest::newRow("single down") << "A" << true << "BACD";
}

void TestGroupOrder::moveRows()
{
    QFETCH(QString, selected);
    QFETCH(bool, down);
    QFETCH(QString, expected);
    QList<OrderRow> rows = lettered(QStringLiteral("ABCD"), selected);

    const bool moved = moveSelectedRows(rows, down ? MoveDirection::Down : MoveDirection::Up);

    QCOMPARE(namesOf(rows), expected);
    QCOMPARE(moved, expected != QLatin1String("ABCD"));
    // The selection moves with the rows; numbers stay with their names.
    QCOMPARE(selectedOf(rows), [&] {
        QString inOrder;
        for (const QChar c : expected) {
            if (selected.contains(c))
                inOrder += c;
        }
        return inOrder;
    }());
    for (const OrderRow &row : rows)
        QCOMPARE(row.number, row.name.at(0).unicode() - 'A' + 1);
}

void TestGroupOrder::defaultGroupNeitherListedNorMovable()
{
    const QList<OrderRow> rows = orderRowsFor({{0, QString()},
                                               {4, QStringLiteral("Four")},
                                               {0, QStringLiteral("again")},
                                               {2, QStringLiteral("Two")}});
    QCOMPARE(namesOf(rows), QStringLiteral("FourTwo"));
    QCOMPARE(orderToWrite(rows), (QList<qint32>{0, 4, 2}));
    QCOMPARE(orderToWrite({OrderRow{QStringLiteral("odd"), -3, false}}), QList<qint32>{0});
}

void TestGroupOrder::dialogControls()
{
    writeRegistry(m_paths,
                  {{0, QString()}, {2, QStringLiteral("Two")}, {5, QStringLiteral("Five")}}, 5);
    const GroupRegistry registry(m_paths.registryFile(), m_paths.dataFolder);
    GroupOrderDialog dialog(registry, m_prompter);
    QCOMPARE(dialog.objectName(), QStringLiteral("frmGroupOrder"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Order of Groups"));
    auto *list = dialog.findChild<QListWidget *>(QStringLiteral("lstGroup"));
    QVERIFY(list);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Two"));
    for (const char *name : {"btnUp", "btnDown"})
        QVERIFY(!dialog.findChild<QPushButton *>(QLatin1String(name))->icon().isNull());
    QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("btnOK"))->text(),
             QStringLiteral("OK"));
    QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("btnCancel"))->text(),
             QStringLiteral("Cancel"));
}

void TestGroupOrder::okWritesNewOrder()
{
    writeRegistry(m_paths,
                  {{0, QString()},
                   {2, QStringLiteral("Two")},
                   {5, QStringLiteral("Five")},
                   {7, QStringLiteral("Seven")}},
                  7);
    const GroupRegistry registry(m_paths.registryFile(), m_paths.dataFolder);
    QWidget owner;
    QTimer::singleShot(0, &owner, [&owner] {
        auto *dialog = owner.findChild<GroupOrderDialog *>();
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("lstGroup"));
        auto *up = dialog->findChild<QPushButton *>(QStringLiteral("btnUp"));
        list->item(1)->setSelected(true);
        QTest::mouseClick(up, Qt::LeftButton);
        QTest::mouseClick(up, Qt::LeftButton); // already at the top: nothing
        QCOMPARE(list->item(0)->text(), QStringLiteral("Five"));
        QVERIFY(list->item(0)->isSelected());
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOK")),
                          Qt::LeftButton);
    });

    QVERIFY(GroupOrderDialog::ask(registry, m_prompter, &owner));

    QCOMPARE(positionsOf(m_paths),
             (QList<std::pair<QString, QString>>{position(0, 0), position(1, 5), position(2, 2),
                                                 position(3, 7)}));
    QCOMPARE(registryValue(m_paths, QStringLiteral("GroupNoName"), QStringLiteral("Group5")),
             QStringLiteral("Five"));
}

void TestGroupOrder::nothingWrittenUnlessOk_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("title bar") << 2;
}

void TestGroupOrder::nothingWrittenUnlessOk()
{
    QFETCH(int, how);
    writeRegistry(m_paths,
                  {{0, QString()}, {2, QStringLiteral("Two")}, {5, QStringLiteral("Five")}}, 5);
    const QByteArray before = fileBytes(m_paths.registryFile());
    const GroupRegistry registry(m_paths.registryFile(), m_paths.dataFolder);
    QWidget owner;
    QTimer::singleShot(0, &owner, [&owner, how] {
        auto *dialog = owner.findChild<GroupOrderDialog *>();
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("lstGroup"));
        list->item(0)->setSelected(true);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnDown")),
                          Qt::LeftButton);
        QCOMPARE(list->item(1)->text(), QStringLiteral("Two"));
        if (how == 0)
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnCancel")),
                              Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(list, Qt::Key_Escape);
        else
            dialog->close();
    });

    QVERIFY(!GroupOrderDialog::ask(registry, m_prompter, &owner));
    QCOMPARE(fileBytes(m_paths.registryFile()), before);
}

void TestGroupOrder::onlyDefaultGroup()
{
    // A stray 0 past position 0 is not listed and is dropped on OK.
    writeRegistry(m_paths, {{0, QString()}, {0, QString()}}, 0);
    const GroupRegistry registry(m_paths.registryFile(), m_paths.dataFolder);
    GroupOrderDialog dialog(registry, m_prompter);
    dialog.show();
    auto *list = dialog.findChild<QListWidget *>(QStringLiteral("lstGroup"));
    QCOMPARE(list->count(), 0);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnUp")), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(positionsOf(m_paths), (QList<std::pair<QString, QString>>{position(0, 0)}));
}

void TestGroupOrder::failedWriteKeepsDialogOpen()
{
    writeRegistry(m_paths, {{0, QString()}, {2, QStringLiteral("Two")}}, 2);
    const GroupRegistry registry(m_paths.registryFile(), m_paths.dataFolder);
    GroupOrderDialog dialog(registry, m_prompter);
    dialog.show();
    // The registry can no longer be replaced.
    QFile::remove(m_paths.registryFile());
    QVERIFY(QDir().mkpath(m_paths.registryFile()));

    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);

    QVERIFY(dialog.isVisible());
    QCOMPARE(m_prompter.messages.size(), 1);
    QCOMPARE(m_prompter.messages.first().title, QStringLiteral("System error"));
}

QTEST_MAIN(TestGroupOrder)
#include "tst_grouporder.moc"
