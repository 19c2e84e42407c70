#include "fakes/fakeprompter.h"
#include "grouptestutil.h"
#include "ui/groups/groupcopydialog.h"
#include "ui/groups/groupcopysession.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {
TextEntry keptEntry()
{
    return TextEntry{QStringLiteral("secret"), 1, QStringLiteral("Caption"), 1};
}

QList<TextEntry> numbered(int count)
{
    QList<TextEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.append(TextEntry{QStringLiteral("t") + QString::number(i), 0, QString(), 0});
    return entries;
}
} // namespace

class TestGroupCopy : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensOnFirstAndMainGroup();
    void roomLimitsCopyToTopmostSelected();
    void copyTwiceGivesTwoEntries();
    void moveKeepsProtectionAndCaption();
    void groupChangeSavesOtherSideFirst();
    void failedSaveStaysModified();
    void removedMarkNeverWritten();
    void buttonsEnabled_data();
    void buttonsEnabled();

    void dialogControls();
    void dialogCopiesAfterSelectionAndSavesOnClose_data();
    void dialogCopiesAfterSelectionAndSavesOnClose();
    void counterTurnsRed_data();
    void counterTurnsRed();
    void closeWithFailedSaveAsks();

private:
    GroupCopySession makeSession();

    std::unique_ptr<QTemporaryDir> m_dir;
    AppPaths m_paths;
    QStringList m_reports;
    FakePrompter m_prompter;
};

void TestGroupCopy::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_paths = makeTestPaths(*m_dir);
    m_reports.clear();
    m_prompter = FakePrompter();
    writeRegistry(m_paths, {{0, QString()}, {1, QStringLiteral("One")}, {2, QStringLiteral("Two")}},
                  2);
}

void TestGroupCopy::cleanup()
{
    QVERIFY2(m_prompter.unexpected.isEmpty(), qPrintable(m_prompter.unexpected.join(u',')));
    m_dir.reset();
}

GroupCopySession TestGroupCopy::makeSession()
{
    return GroupCopySession(m_paths, [this](const QString &message) { m_reports.append(message); });
}

void TestGroupCopy::opensOnFirstAndMainGroup()
{
    writeGroup(m_paths, 2, entriesOf({QStringLiteral("two")}));
    GroupCopySession session = makeSession();
    session.open(2);
    QCOMPARE(session.groupNo(0), 0);
    QCOMPARE(session.groupRow(1), 2);
    QCOMPARE(session.lines(1), QStringList{QStringLiteral("  two")});
    QCOMPARE(session.rowCount(0), 0);

    session.open(9); // not listed: the first group
    QCOMPARE(session.groupRow(1), 0);
}

void TestGroupCopy::roomLimitsCopyToTopmostSelected()
{
    writeGroup(m_paths, 0,
               entriesOf({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    writeGroup(m_paths, 1, numbered(kMaxListRows - 1));
    GroupCopySession session = makeSession();
    session.open(1);

    const auto done = session.transfer(CopyButton::MoveRight, {2, 0, 1});

    QVERIFY(done.changed);
    QCOMPARE(session.rowCount(1), kMaxListRows);
    QCOMPARE(session.entryAtRow(1, kMaxListRows - 1).text, QStringLiteral("a"));
    QCOMPARE(session.lines(0), (QStringList{QStringLiteral("  b"), QStringLiteral("  c")}));

    // A full destination takes nothing more.
    QVERIFY(!session.transfer(CopyButton::CopyRight, {0}).changed);
    QCOMPARE(session.rowCount(1), kMaxListRows);
}

void TestGroupCopy::copyTwiceGivesTwoEntries()
{
    writeGroup(m_paths, 0, entriesOf({QStringLiteral("x"), QStringLiteral("same")}));
    writeGroup(m_paths, 1, entriesOf({QStringLiteral("same")}));
    GroupCopySession session = makeSession();
    session.open(1);

    session.transfer(CopyButton::CopyRight, {1});
    session.transfer(CopyButton::CopyRight, {1});
    QVERIFY(session.isModified(1));
    QVERIFY(!session.isModified(0));
    QVERIFY(session.saveAll());

    QCOMPARE(textsOf(readGroup(m_paths, 1)),
             (QStringList{QStringLiteral("same"), QStringLiteral("same"), QStringLiteral("same")}));
    QCOMPARE(textsOf(readGroup(m_paths, 0)),
             (QStringList{QStringLiteral("x"), QStringLiteral("same")}));
}

void TestGroupCopy::moveKeepsProtectionAndCaption()
{
    writeGroup(m_paths, 2, {TextEntry{QStringLiteral("other"), 0, QString(), 0}, keptEntry()});
    writeGroup(m_paths, 1, entriesOf({QStringLiteral("first")}));
    GroupCopySession session = makeSession();
    session.open(1);
    QVERIFY(session.chooseGroup(0, 2));

    const auto done = session.transfer(CopyButton::MoveRight, {1});
    QVERIFY(done.changed && done.move);
    QCOMPARE(done.destination, 1);
    QCOMPARE(session.rowCount(0), 1);
    // Pressed again with the moved row gone: nothing changes.
    QVERIFY(!session.transfer(CopyButton::MoveRight, {1}).changed);
    QVERIFY(session.saveAll());

    QCOMPARE(textsOf(readGroup(m_paths, 2)), QStringList{QStringLiteral("other")});
    const QList<TextEntry> destination = readGroup(m_paths, 1);
    QCOMPARE(destination.size(), 2);
    QCOMPARE(destination.last(), keptEntry());
}

void TestGroupCopy::groupChangeSavesOtherSideFirst()
{
    writeGroup(m_paths, 0, entriesOf({QStringLiteral("zero")}));
    GroupCopySession session = makeSession();
    session.open(1);
    session.transfer(CopyButton::CopyRight, {0});

    // The left side now shows the right side's group: it must read the copy.
    QVERIFY(session.chooseGroup(0, 1));

    QVERIFY(!session.isModified(1));
    QCOMPARE(textsOf(readGroup(m_paths, 1)), QStringList{QStringLiteral("zero")});
    QCOMPARE(session.lines(0), QStringList{QStringLiteral("  zero")});
}

void TestGroupCopy::failedSaveStaysModified()
{
    writeGroup(m_paths, 0, entriesOf({QStringLiteral("zero")}));
    GroupCopySession session = makeSession();
    session.open(1);
    session.transfer(CopyButton::CopyRight, {0});
    // No temporary folder: every save fails.
    QVERIFY(QDir(m_paths.tempFolder).removeRecursively());

    QVERIFY(session.chooseGroup(0, 2)); // the left side had nothing to save
    QVERIFY(session.isModified(1));
    QVERIFY(!session.chooseGroup(1, 2)); // would drop the right side's copy
    QCOMPARE(session.groupNo(1), 1);
    QCOMPARE(session.lines(1), QStringList{QStringLiteral("  zero")});
    QCOMPARE(m_reports.size(), 2);
    QVERIFY(!session.saveAll());

    QVERIFY(QDir().mkpath(m_paths.tempFolder));
    QVERIFY(session.saveAll());
    QVERIFY(!session.isModified(1));
    QCOMPARE(textsOf(readGroup(m_paths, 1)), QStringList{QStringLiteral("zero")});
}

void TestGroupCopy::removedMarkNeverWritten()
{
    // A hand-written entry with the removed mark is listed at first and drops
    // out at the next copy into its side.
    writeGroup(m_paths, 1,
               {TextEntry{QStringLiteral("marked"), -1, QString(), 0},
                TextEntry{QStringLiteral("kept"), 0, QString(), 0}});
    writeGroup(m_paths, 0, entriesOf({QStringLiteral("new")}));
    GroupCopySession session = makeSession();
    session.open(1);
    QCOMPARE(session.rowCount(1), 2);

    session.transfer(CopyButton::CopyRight, {0});
    QCOMPARE(session.lines(1), (QStringList{QStringLiteral("  kept"), QStringLiteral("  new")}));
    QVERIFY(session.saveAll());

    QCOMPARE(textsOf(readGroup(m_paths, 1)),
             (QStringList{QStringLiteral("kept"), QStringLiteral("new")}));
}

void TestGroupCopy::buttonsEnabled_data()
{
    QTest::addColumn<qint32>("rightGroupRow");
    QTest::addColumn<bool>("left");
    QTest::addColumn<bool>("right");
    QTest::addColumn<QList<bool>>("expected");
    QTest::newRow("same group") << 0 << true << true << QList<bool>{false, false, false, false};
    QTest::newRow("left selected") << 1 << true << false << QList<bool>{true, true, false, false};
    QTest::newRow("right selected") << 1 << false << true << QList<bool>{false, false, true, true};
    QTest::newRow("nothing selected")
        << 2 << false << false << QList<bool>{false, false, false, false};
}

void TestGroupCopy::buttonsEnabled()
{
    QFETCH(qint32, rightGroupRow);
    QFETCH(bool, left);
    QFETCH(bool, right);
    QFETCH(QList<bool>, expected);
    GroupCopySession session = makeSession();
    session.open(0);
    session.chooseGroup(1, rightGroupRow);
    const std::array<bool, 4> enabled = session.buttonsEnabled(left, right);
    QCOMPARE(QList<bool>(enabled.begin(), enabled.end()), expected);
}

void TestGroupCopy::dialogControls()
{
    GroupCopyDialog dialog(m_paths, 0, m_prompter);
    QCOMPARE(dialog.objectName(), QStringLiteral("frmGroupCopy"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("between Groups - Copy or Move"));
    const QStringList captions{QStringLiteral("Copy =>"), QStringLiteral("Move =>"),
                               QStringLiteral("<= Copy"), QStringLiteral("<= Move")};
    for (int i = 0; i < 4; ++i) {
        auto *button =
            dialog.findChild<QPushButton *>(QStringLiteral("btnCopyMove_") + QString::number(i));
        QVERIFY(button);
        QCOMPARE(button->text(), captions.at(i));
        QVERIFY(!button->isEnabled()); // the same group on both sides
    }
    QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("btnOK"))->text(),
             QStringLiteral("Close"));
    for (int side = 0; side < 2; ++side) {
        const QString n = QString::number(side);
        auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("cobGroup_") + n);
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("lstText_") + n);
        auto *counter = dialog.findChild<QLabel *>(QStringLiteral("lblListCounter_") + n);
        QVERIFY(combo && list && counter);
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(QFontInfo(list->font()).fixedPitch());
        QCOMPARE(counter->toolTip(), QStringLiteral("counter of list"));
    }
}

void TestGroupCopy::dialogCopiesAfterSelectionAndSavesOnClose_data()
{
    QTest::addColumn<bool>("titleBar");
    QTest::newRow("Close") << false;
    QTest::newRow("title bar") << true;
}

void TestGroupCopy::dialogCopiesAfterSelectionAndSavesOnClose()
{
    QFETCH(bool, titleBar);
    writeGroup(m_paths, 0, entriesOf({QStringLiteral("a"), QStringLiteral("b")}));
    GroupCopyDialog dialog(m_paths, 0, m_prompter);
    dialog.show();
    auto *rightGroup = dialog.findChild<QComboBox *>(QStringLiteral("cobGroup_1"));
    auto *left = dialog.findChild<QListWidget *>(QStringLiteral("lstText_0"));
    auto *right = dialog.findChild<QListWidget *>(QStringLiteral("lstText_1"));
    auto *copy = dialog.findChild<QPushButton *>(QStringLiteral("btnCopyMove_0"));
    auto *moveBack = dialog.findChild<QPushButton *>(QStringLiteral("btnCopyMove_3"));

    rightGroup->setCurrentIndex(2);
    QVERIFY(!copy->isEnabled());
    const QPoint second = left->visualItemRect(left->item(1)).center();
    QTest::mouseClick(left->viewport(), Qt::LeftButton, {}, second);
    QTRY_VERIFY(copy->isEnabled());
    QVERIFY(!moveBack->isEnabled());

    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(right->count(), 1);
    QCOMPARE(right->currentRow(), 0);
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lblListCounter_1"))->text(),
             QStringLiteral("1"));
    QVERIFY(readGroup(m_paths, 2).isEmpty()); // nothing written before a group change or close

    if (titleBar)
        dialog.close();
    else
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(textsOf(readGroup(m_paths, 2)), QStringList{QStringLiteral("b")});
}

void TestGroupCopy::counterTurnsRed_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("red");
    QTest::newRow("999") << 999 << false;
    QTest::newRow("1000") << 1000 << true;
}

void TestGroupCopy::counterTurnsRed()
{
    QFETCH(int, rows);
    QFETCH(bool, red);
    writeGroup(m_paths, 1, numbered(rows));
    GroupCopyDialog dialog(m_paths, 1, m_prompter);
    auto *counter = dialog.findChild<QLabel *>(QStringLiteral("lblListCounter_1"));
    QCOMPARE(counter->text(), QString::number(rows));
    QCOMPARE(counter->palette().color(QPalette::WindowText),
             red ? QColor(Qt::red) : QColor(Qt::black));
}

void TestGroupCopy::closeWithFailedSaveAsks()
{
    writeGroup(m_paths, 0, entriesOf({QStringLiteral("a")}));
    GroupCopyDialog dialog(m_paths, 1, m_prompter);
    dialog.show();
    auto *left = dialog.findChild<QListWidget *>(QStringLiteral("lstText_0"));
    QTest::mouseClick(left->viewport(), Qt::LeftButton, {},
                      left->visualItemRect(left->item(0)).center());
    QTRY_VERIFY(dialog.findChild<QPushButton *>(QStringLiteral("btnCopyMove_0"))->isEnabled());
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnCopyMove_0")),
                      Qt::LeftButton);
    QVERIFY(QDir(m_paths.tempFolder).removeRecursively());
    m_prompter.messageAnswers = {Prompter::Answer::Cancel};

    dialog.close(); // the user chooses to stay: the copy is not saved yet
    QVERIFY(dialog.isVisible());
    QCOMPARE(m_prompter.messages.last().text, GroupCopyDialog::closeAnywayText());
    QVERIFY(QDir().mkpath(m_paths.tempFolder));
    dialog.close(); // saved now, so closed without asking
    QVERIFY(!dialog.isVisible());
    QCOMPARE(textsOf(readGroup(m_paths, 1)), QStringList{QStringLiteral("a")});
    QCOMPARE(m_prompter.messages.size(), 2); // the failed save and the question
}

QTEST_MAIN(TestGroupCopy)
#include "tst_groupcopy.moc"
