#include "fakes/fakeprompter.h"
#include "platform/filesys.h"
#include "store/groupfile.h"
#include "support/widgets.h"
#include "ui/groups/groupcommands.h"
#include "ui/groups/groupcopydialog.h"
#include "ui/groups/grouphost.h"
#include "ui/groups/grouporderdialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

// The test plays the main window for the group commands: it holds the current
// group's texts, saves and loads them as real group files and logs every call.
class TestGroups : public QObject, public GroupHost
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    AppPaths m_paths;
    FakePrompter m_prompter;
    std::unique_ptr<GroupCommands> m_commands;
    std::unique_ptr<GroupCopySession> m_session;
    qint32 m_current = -1;
    QList<TextEntry> m_texts;
    QStringList m_calls;
    bool m_saveWorks = true;

public:
    qint32 currentGroupNo() const override { return m_current; }
    void setCurrentGroupNo(qint32 groupNo) override { m_current = groupNo; }
    bool saveCurrentGroup() override
    {
        m_calls.append(u"save:%1"_s.arg(m_current));
        return m_saveWorks && writeGroup(m_current, m_texts);
    }
    void resetSaveElapsed() override { m_calls.append(u"reset"_s); }
    void loadCurrentGroup() override
    {
        m_calls.append(u"load:%1"_s.arg(m_current));
        m_texts = readGroup(m_current);
    }
    void stopTimer() override { m_calls.append(u"stop"_s); }
    void startTimer() override { m_calls.append(u"start"_s); }
    void refreshButtons() override {}

private:
    static TextEntry entry(const char *text)
    {
        return TextEntry{QString::fromUtf8(text), 0, {}, 0};
    }
    bool writeGroup(qint32 number, const QList<TextEntry> &texts)
    {
        return saveGroupFile(m_paths.groupFile(number), texts);
    }
    QList<TextEntry> readGroup(qint32 n) { return loadGroupFile(m_paths.groupFile(n)).entries; }
    // A folder (not empty) in the place of a group file: its saves fail, for root too.
    bool blockSaves(qint32 n) { return QDir().mkpath(m_paths.groupFile(n) + u"/blocked"); }
    bool unblockSaves(qint32 n) { return QDir(m_paths.groupFile(n)).removeRecursively(); }
    void setUp(qint32 current) { m_commands->setUpSelector(0, current); }
    QString takeCalls() { return std::exchange(m_calls, {}).join(u' '); }
    QList<qint32> groupRows() const { return m_commands->selector().groupOrder(); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_paths = AppPaths::forUserFolder(m_dir->path());
        QDir().mkpath(m_paths.dataFolder);
        QDir().mkpath(m_paths.tempFolder);
        m_prompter = FakePrompter();
        m_calls.clear();
        m_saveWorks = true;
        m_commands = std::make_unique<GroupCommands>(m_paths, *this, m_prompter);
        m_session = std::make_unique<GroupCopySession>(m_paths, [](const QString &) {});
        QVERIFY(writeFileAtomically(
            m_paths.registryFile(),
            "[Management]\nMaxGroupNo=5\n[GroupNo]\nGroup0=0\nGroup1=2\nGroup2=5\nGroup3=3\n"
            "Group4=4\n[GroupNoName]\nGroup0=\nGroup2=A\nGroup5=B\nGroup3=C\nGroup4=D\n"));
    }
    void cleanup()
    {
        QVERIFY2(m_prompter.unexpected.isEmpty(), qPrintable(m_prompter.unexpected.join(u',')));
    }

    void newGroupTakesTrimmedNameAndBecomesCurrent()
    {
        setUp(3);
        m_texts = {entry("unsaved")};
        m_prompter.groupNameAnswers.push_back(u"  Work  "_s);
        m_commands->chooseRow(5);
        QCOMPARE(groupRows(), (QList<qint32>{0, 2, 5, 3, 4, 6}));
        QCOMPARE(m_commands->selector().nameAt(5), u"Work"_s);
        QCOMPARE(m_commands->selector().currentRow(), 5);
        QCOMPARE(m_commands->registry().groups().last(), (GroupInfo{6, u"Work"_s}));
        QCOMPARE(takeCalls(), u"save:3 stop load:6 start"_s);
        QCOMPARE(readGroup(3), QList<TextEntry>{entry("unsaved")});
        QVERIFY(m_texts.isEmpty());
    }

    void commandChangesNothing_data()
    {
        QTest::addColumn<qint32>("current");
        QTest::addColumn<QString>("command");               // "choose" takes a selector row
        QTest::addColumn<std::optional<QString>>("answer"); // to the name question
        QTest::addColumn<QString>("messages");              // their titles
        const std::optional<QString> none, blank(u"  "_s);
        QTest::newRow("new group cancelled") << 2 << u"choose 5"_s << none << QString();
        QTest::newRow("new group blank") << 2 << u"choose 5"_s << blank << QString();
        QTest::newRow("same group again") << 2 << u"choose 1"_s << none << QString();
        QTest::newRow("rename cancelled") << 2 << u"rename"_s << none << QString();
        QTest::newRow("rename blank") << 2 << u"rename"_s << blank << QString();
        QTest::newRow("rename default") << 0 << u"rename"_s << none << u"Warning"_s;
        QTest::newRow("delete default") << 0 << u"delete"_s << none << u"Warning"_s;
        QTest::newRow("delete cancelled") << 2 << u"delete"_s << none << u"Warning Query"_s;
        // Loading the other group would drop the texts that could not be written.
        QTest::newRow("switch, save fails") << 0 << u"choose 1"_s << none << u"System error"_s;
    }
    void commandChangesNothing()
    {
        QFETCH(qint32, current);
        QFETCH(QString, command);
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, messages);
        setUp(current);
        const QList<GroupInfo> groups = m_commands->registry().groups();
        m_texts = {entry("in memory")};
        m_saveWorks = messages != u"System error";     // the failed-save row
        m_prompter.groupNameAnswers.push_back(answer); // left over when not asked
        m_prompter.messageAnswers.push_back(Prompter::Answer::Cancel);
        command == u"rename"_s   ? m_commands->renameGroup()
        : command == u"delete"_s ? m_commands->deleteGroup()
                                 : m_commands->chooseRow(command.section(u' ', 1).toInt());

        QCOMPARE(m_commands->registry().groups(), groups);
        QCOMPARE(groupRows(), (QList<qint32>{0, 2, 5, 3, 4}));
        QCOMPARE(m_commands->selector().currentRow(), m_commands->selector().findGroup(current));
        QCOMPARE(takeCalls(), m_saveWorks ? QString() : u"save:%1"_s.arg(current));
        QCOMPARE(m_texts, QList<TextEntry>{entry("in memory")});
        QCOMPARE(m_prompter.messages.size(), messages.isEmpty() ? 0 : 1);
        for (const FakePrompter::Message &m : std::as_const(m_prompter.messages))
            QCOMPARE(m.title, messages);
    }

    void renameThenDeleteGroup()
    {
        setUp(5);
        QVERIFY(writeGroup(5, {entry("gone")}));
        QVERIFY(writeGroup(0, {entry("default")}));
        m_prompter.groupNameAnswers.push_back(u" New name "_s);
        m_commands->renameGroup();
        QCOMPARE(m_prompter.groupNameAsked, QList<QString>{u"B"_s});
        QCOMPARE(m_commands->selector().nameAt(2), u"New name"_s);
        QCOMPARE(m_commands->registry().groups().at(2), (GroupInfo{5, u"New name"_s}));

        m_prompter.messageAnswers.push_back(Prompter::Answer::Ok);
        m_commands->deleteGroup();
        QVERIFY(!QFile::exists(m_paths.groupFile(5)));
        QByteArray registry;
        QVERIFY(readWholeFile(m_paths.registryFile(), &registry) && !registry.contains("Group5="));
        // A gap left in the positions would hide the groups after it.
        QCOMPARE(m_commands->registry().groups(),
                 (QList<GroupInfo>{{0, {}}, {2, u"A"_s}, {3, u"C"_s}, {4, u"D"_s}}));
        QCOMPARE(groupRows(), (QList<qint32>{0, 2, 3, 4}));
        QCOMPARE(m_commands->selector().currentRow(), 0);
        QCOMPARE(m_texts, QList<TextEntry>{entry("default")});
    }

    // Both dialogs work on the files: the current group is saved before and read back after.
    void orderAndCopySaveThenReloadCurrentGroup()
    {
        setUp(5);
        m_prompter.groupOrderAnswers = {true};
        QVERIFY(m_commands->registry().writeOrder({0, 3, 2, 4, 5})); // as the order dialog does
        m_commands->orderGroups();
        QCOMPARE(groupRows(), (QList<qint32>{0, 3, 2, 4, 5}));
        QCOMPARE(m_commands->selector().currentRow(), 4); // still group 5
        QCOMPARE(takeCalls(), u"reset save:5 stop load:5 start"_s);
        m_prompter.onGroupCopy = [this](qint32 n) { m_calls.append(u"dialog:%1"_s.arg(n)); };
        m_commands->copyBetweenGroups();
        QCOMPARE(takeCalls(), u"stop reset save:5 dialog:5 load:5 start"_s);
        m_saveWorks = false; // the dialog would show stale texts and the reload drop them
        m_commands->copyBetweenGroups();
        QCOMPARE(takeCalls(), u"stop reset save:5 start"_s);
    }

    // Every way to leave a dialog: its OK and Cancel buttons, Esc, the title bar.
    void orderDialog_data()
    {
        QTest::addColumn<QString>("action");
        for (const char *action : {"btnOK", "btnCancel", "Esc", "close"})
            QTest::newRow(action) << QString::fromUtf8(action);
    }
    void orderDialog()
    {
        QFETCH(QString, action);
        const QList<GroupInfo> before = m_commands->registry().groups();
        QStringList shown; // the rows after each click, a star after each selected row
        QWidget owner;
        QTimer::singleShot(0, &owner, [&owner, &shown, action] {
            auto *dialog = owner.findChild<GroupOrderDialog *>(u"frmGroupOrder"_s);
            auto *list = dialog->findChild<QListWidget *>(u"lstGroup"_s);
            list->item(1)->setSelected(true);
            list->item(3)->setSelected(true);
            for (const char *button : {"btnUp", "btnUp", "btnDown", "btnDown", "btnUp"}) {
                QTest::mouseClick(child(dialog, button), Qt::LeftButton);
                shown.append(QString());
                for (const QListWidgetItem *item : list->findItems(u"*"_s, Qt::MatchWildcard))
                    shown.last() += item->text() + (item->isSelected() ? u"*"_s : QString());
            }
            leave(dialog, action);
        });
        const bool written = GroupOrderDialog::ask(m_commands->registry(), m_prompter, &owner);
        QCOMPARE(written, action == u"btnOK"_s);
        // At the top or the bottom nothing moves.
        QCOMPARE(shown,
                 (QStringList{u"B*AD*C"_s, u"B*AD*C"_s, u"AB*CD*"_s, u"AB*CD*"_s, u"B*AD*C"_s}));
        const QList<GroupInfo> order{{0, {}}, {5, u"B"_s}, {2, u"A"_s}, {4, u"D"_s}, {3, u"C"_s}};
        QCOMPARE(m_commands->registry().groups(), written ? order : before);
    }

    void copyAndMoveTakeTopmostSelectedWhileThereIsRoom()
    {
        const TextEntry kept{u"secret"_s, 1, u"Caption"_s, 1};
        QVERIFY(writeGroup(0, {entry("a"), kept, entry("b")}));
        QVERIFY(writeGroup(2, QList<TextEntry>(kMaxListRows - 2, entry("t"))));
        m_session->open(2);
        QVERIFY(m_session->transfer(CopyButton::CopyRight, {0}).changed);
        QVERIFY(m_session->transfer(CopyButton::MoveRight, {2, 1}).changed); // room for one
        QCOMPARE(m_session->lines(0), (QStringList{u"  a"_s, u"  b"_s}));
        QVERIFY(!m_session->transfer(CopyButton::CopyRight, {0}).changed); // full
        QVERIFY(m_session->saveAll());
        QCOMPARE(readGroup(0), (QList<TextEntry>{entry("a"), entry("b")}));
        QCOMPARE(readGroup(2).mid(kMaxListRows - 2), (QList<TextEntry>{entry("a"), kept}));
    }

    // Any flag a file holds, -1 included, is the entry's own: being moved away is
    // kept apart from it, so only moved entries are left out of a save.
    void movedAwayIsNotAFlag()
    {
        const TextEntry minusOne{u"old"_s, -1, {}, 0};
        QVERIFY(writeGroup(0, {entry("a"), minusOne}));
        QVERIFY(writeGroup(2, {minusOne, entry("b")}));
        m_session->open(2);
        QCOMPARE(m_session->rowCount(0), 2);
        QVERIFY(m_session->transfer(CopyButton::CopyLeft, {1}).changed);
        QVERIFY(m_session->transfer(CopyButton::MoveRight, {0}).changed);
        QVERIFY(m_session->saveAll());
        QCOMPARE(readGroup(0), (QList<TextEntry>{minusOne, entry("b")}));
        QCOMPARE(readGroup(2), (QList<TextEntry>{minusOne, entry("b"), entry("a")}));
    }

    void groupChangeSavesChangedSidesFirst()
    {
        QVERIFY(writeGroup(0, {entry("zero")}));
        m_session->open(2);
        m_session->transfer(CopyButton::CopyRight, {0});
        QVERIFY(blockSaves(2));
        QVERIFY(!m_session->chooseGroup(1, 2)); // reading another group would drop the copy
        QVERIFY(m_session->isModified(1));      // kept for the next chance
        QCOMPARE(m_session->lines(1), QStringList{u"  zero"_s});
        QVERIFY(unblockSaves(2));
        QVERIFY(m_session->chooseGroup(0, 1)); // saves the right side before the left reads it
        QVERIFY(!m_session->isModified(1));
        QCOMPARE(m_session->lines(0), QStringList{u"  zero"_s});
    }

    // The dialog writes nothing before a group change or its close, and a close
    // that cannot save keeps it open. A side's search copies only its shown selected rows.
    void copyDialog()
    {
        const TextEntry named{u"cherry"_s, 0, u"Pie recipe"_s, 1};
        QVERIFY(writeGroup(0, {entry("apple pie"), entry("Banana"), named, entry("date")}));
        GroupCopyDialog dialog(m_paths, 0, m_prompter);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto *left = child<QListWidget>(&dialog, "lstText_0");
        auto *search = child<QLineEdit>(&dialog, "txtSearch_0");
        auto *copy = child(&dialog, "btnCopyMove_0");
        left->setFocus();
        left->selectAll();
        QVERIFY(!copy->isEnabled()); // both sides show the default group
        child<QComboBox>(&dialog, "cobGroup_1")->setCurrentIndex(1);
        QVERIFY(copy->isEnabled());
        QVERIFY(!child(&dialog, "btnCopyMove_2")->isEnabled());
        QTest::keyClicks(left, u"pie"_s);
        QVERIFY(search->isVisible());
        QCOMPARE(child<QLabel>(&dialog, "lblListCounter_0")->text(), u"2/4"_s);
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(child<QListWidget>(&dialog, "lstText_1")->count(), 2);
        QTest::keyClick(search, Qt::Key_Escape);
        QVERIFY(!search->isVisible());
        QVERIFY(readGroup(2).isEmpty());

        QVERIFY(blockSaves(2));
        m_prompter.messageAnswers.push_back(Prompter::Answer::Cancel);
        dialog.close(); // the title bar saves too; it failed and the user stays
        QVERIFY(dialog.isVisible());
        QVERIFY(unblockSaves(2));
        QTest::mouseClick(child(&dialog, "btnOK"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(readGroup(2), (QList<TextEntry>{entry("apple pie"), named}));
    }
};

QTEST_MAIN(TestGroups)
#include "tst_groups.moc"
