#include "fakes/fakeprompter.h"
#include "settings/inifile.h"
#include "store/groupfile.h"
#include "ui/groups/groupcommands.h"
#include "ui/groups/groupcopydialog.h"
#include "ui/groups/grouphost.h"
#include "ui/groups/groupnamedialog.h"
#include "ui/groups/grouporderdialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
QString str(const char *text)
{
    return QString::fromUtf8(text);
}

QList<TextEntry> entries(const QStringList &texts)
{
    QList<TextEntry> result;
    for (const QString &text : texts)
        result.append(TextEntry{text, 0, QString(), 0});
    return result;
}

QStringList textsOf(const QList<TextEntry> &entries)
{
    QStringList texts;
    for (const TextEntry &entry : entries)
        texts.append(entry.text);
    return texts;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The main window's side of the commands, working on real group files.
class FakeHost : public GroupHost
{
public:
    explicit FakeHost(const AppPaths &paths)
        : paths(paths)
    {}
    qint32 currentGroupNo() const override { return current; }
    void setCurrentGroupNo(qint32 groupNo) override { current = groupNo; }
    bool saveCurrentGroup() override
    {
        calls.append(str("save:") + QString::number(current));
        return saveWorks && saveGroupFile(paths.groupFile(current), paths.tempGroupFile(), texts);
    }
    void resetSaveElapsed() override { calls.append(str("reset")); }
    void loadCurrentGroup() override
    {
        calls.append(str("load:") + QString::number(current));
        texts = loadGroupFile(paths.groupFile(current), {}).entries;
    }
    void stopTimer() override { calls.append(str("stop")); }
    void startTimer() override { calls.append(str("start")); }
    void refreshButtons() override {}

    const AppPaths paths;
    qint32 current = -1;
    QList<TextEntry> texts;
    QStringList calls;
    bool saveWorks = true;
};

enum class Command
{
    Choose,
    Rename,
    Delete
};
} // namespace

class TestGroups : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newGroupTakesTrimmedNameAndBecomesCurrent();
    void switchSavesOldGroupFirst_data();
    void switchSavesOldGroupFirst();
    void commandChangesNothing_data();
    void commandChangesNothing();
    void renameTrimsName();
    void deleteRemovesFileNameAndPosition();
    void registryWriteFailureKeepsGroups();
    void newOrderKeepsCurrentGroup();
    void copyDialogNeedsSavedGroup_data();
    void copyDialogNeedsSavedGroup();
    void comboBoxFollowsSelector();
    void nameDialog_data();
    void nameDialog();

    void moveRows_data();
    void moveRows();
    void orderDialog_data();
    void orderDialog();
    void orderDialogWriteFailure();

    void copyRoomTakesTopmostSelected();
    void copyTwiceAndMoveKeepingFlags();
    void groupChangeSavesChangedSides();
    void removedMarkNeverListedAgainNorWritten();
    void copyButtons_data();
    void copyButtons();
    void copyDialogSavesOnClose();

private:
    void writeRegistry(const QList<GroupInfo> &groups);
    void setUp(qint32 current);
    bool writeGroup(qint32 number, const QList<TextEntry> &texts)
    {
        return saveGroupFile(m_paths.groupFile(number), m_paths.tempGroupFile(), texts);
    }
    QStringList readGroup(qint32 number) const
    {
        return textsOf(loadGroupFile(m_paths.groupFile(number), {}).entries);
    }
    QList<qint32> rowNumbers() const;
    void breakRegistry()
    {
        // A folder in the registry's place can be neither read nor replaced.
        QFile::remove(m_paths.registryFile());
        QVERIFY(QDir().mkpath(m_paths.registryFile()));
    }
    GroupCopySession copySession()
    {
        return GroupCopySession(m_paths, [this](const QString &m) { m_reports.append(m); });
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    AppPaths m_paths;
    FakePrompter m_prompter;
    QStringList m_reports;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<GroupCommands> m_commands;
};

void TestGroups::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_paths = AppPaths::forUserFolder(m_dir->path());
    QDir().mkpath(m_paths.dataFolder);
    QDir().mkpath(m_paths.tempFolder);
    m_prompter = FakePrompter();
    m_reports.clear();
    m_host = std::make_unique<FakeHost>(m_paths);
    m_commands = std::make_unique<GroupCommands>(m_paths, *m_host, m_prompter);
    writeRegistry({{0, {}}, {2, str("Two")}, {5, str("Five")}, {3, str("Three")}});
}

void TestGroups::cleanup()
{
    QVERIFY2(m_prompter.unexpected.isEmpty(), qPrintable(m_prompter.unexpected.join(u',')));
}

void TestGroups::writeRegistry(const QList<GroupInfo> &groups)
{
    IniFile::update(m_paths.registryFile(), [&](IniDocument &doc) {
        QList<std::pair<QString, QString>> positions;
        for (const GroupInfo &group : groups) {
            const QString number = QString::number(group.number);
            positions.append({str("Group") + QString::number(positions.size()), number});
            doc.setValue(u"GroupNoName", QString(str("Group") + number), group.name);
        }
        doc.setValue(u"Management", u"MaxGroupNo", str("5"));
        doc.replaceSection(u"GroupNo", positions);
    });
}

void TestGroups::setUp(qint32 current)
{
    m_commands->setUpSelector(0, current);
    QCOMPARE(m_host->current, current);
}

QList<qint32> TestGroups::rowNumbers() const
{
    QList<qint32> numbers;
    for (int row = 0; row < m_commands->selector().count(); ++row)
        numbers.append(m_commands->selector().numberAt(row));
    return numbers;
}

void TestGroups::newGroupTakesTrimmedNameAndBecomesCurrent()
{
    setUp(3);
    m_host->texts = entries({str("unsaved")});
    m_prompter.groupNameAnswers.push_back(str("  Work  "));

    m_commands->chooseRow(4);

    QCOMPARE(rowNumbers(), (QList<qint32>{0, 2, 5, 3, 6, -99}));
    QCOMPARE(m_commands->selector().nameAt(4), str("Work"));
    QCOMPARE(m_commands->selector().nameAt(5), str("*** Make a new group"));
    QCOMPARE(m_commands->selector().currentRow(), 4);
    QCOMPARE(m_commands->registry().maxGroupNo(), 6);
    QCOMPARE(m_commands->registry().groups().last(), (GroupInfo{6, str("Work")}));
    QCOMPARE(m_host->calls, (QStringList{str("save:3"), str("stop"), str("load:6"), str("start")}));
    QCOMPARE(readGroup(3), QStringList{str("unsaved")});
    QVERIFY(m_host->texts.isEmpty());
}

void TestGroups::switchSavesOldGroupFirst_data()
{
    QTest::addColumn<bool>("saveWorks");
    QTest::newRow("saved") << true;
    QTest::newRow("save fails: stays, texts kept") << false;
}

void TestGroups::switchSavesOldGroupFirst()
{
    QFETCH(bool, saveWorks);
    writeGroup(2, entries({str("two")}));
    setUp(0);
    m_host->texts = entries({str("zero")});
    m_host->saveWorks = saveWorks;

    m_commands->chooseRow(1);

    QCOMPARE(m_host->calls.first(), str("save:0"));
    QCOMPARE(m_host->calls.contains(str("load:2")), saveWorks);
    QCOMPARE(m_host->current, saveWorks ? 2 : 0);
    QCOMPARE(m_commands->selector().currentRow(), saveWorks ? 1 : 0);
    QCOMPARE(textsOf(m_host->texts), QStringList{saveWorks ? str("two") : str("zero")});
    QCOMPARE(m_prompter.messages.size(), saveWorks ? 0 : 1);
}

void TestGroups::commandChangesNothing_data()
{
    QTest::addColumn<qint32>("current");
    QTest::addColumn<Command>("command");
    QTest::addColumn<int>("row"); // the row chosen, or selected before the command
    QTest::addColumn<std::optional<QString>>("name");
    QTest::addColumn<QString>("message"); // title: text
    const std::optional<QString> none;
    QTest::newRow("new group cancelled") << 2 << Command::Choose << 4 << none << QString();
    QTest::newRow("new group blank")
        << 2 << Command::Choose << 4 << std::optional(str(" ")) << QString();
    QTest::newRow("same group again") << 2 << Command::Choose << 1 << none << QString();
    QTest::newRow("rename cancelled") << 2 << Command::Rename << 1 << none << QString();
    QTest::newRow("rename blank") << 2 << Command::Rename << 1 << std::optional(str("  "))
                                  << QString();
    QTest::newRow("rename default")
        << 0 << Command::Rename << 0 << none << str("Warning: Can Not rename the default group.");
    QTest::newRow("delete default")
        << 0 << Command::Delete << 0 << none << str("Warning: Can Not delete the default group.");
    QTest::newRow("delete cancelled")
        << 2 << Command::Delete << 1 << none << str("Warning Query: Delete the current group.");
    QTest::newRow("delete on new-group row") << 2 << Command::Delete << 4 << none << QString();
}

void TestGroups::commandChangesNothing()
{
    QFETCH(qint32, current);
    QFETCH(Command, command);
    QFETCH(int, row);
    QFETCH(std::optional<QString>, name);
    QFETCH(QString, message);
    setUp(current);
    writeGroup(current, entries({str("kept")}));
    const QByteArray registry = fileBytes(m_paths.registryFile());
    if (name || command != Command::Delete)
        m_prompter.groupNameAnswers.push_back(name);
    m_prompter.messageAnswers.push_back(Prompter::Answer::Cancel);
    if (command == Command::Choose) {
        m_commands->chooseRow(row);
    } else {
        m_commands->selector().setCurrentRow(row);
        command == Command::Rename ? m_commands->renameGroup() : m_commands->deleteGroup();
    }

    QCOMPARE(fileBytes(m_paths.registryFile()), registry);
    QCOMPARE(m_commands->selector().nameAt(1), str("Two"));
    QCOMPARE(rowNumbers(), (QList<qint32>{0, 2, 5, 3, -99}));
    QCOMPARE(m_commands->selector().currentRow(), command == Command::Choose ? 1 : row);
    QVERIFY(m_host->calls.filter(QRegularExpression(str("save|load"))).isEmpty());
    QCOMPARE(readGroup(current), QStringList{str("kept")});
    QCOMPARE(m_prompter.messages.isEmpty(), message.isEmpty());
    if (!message.isEmpty())
        QCOMPARE(m_prompter.messages.first().title + str(": ") + m_prompter.messages.first().text,
                 message);
    m_prompter.groupNameAnswers.clear();
    m_prompter.messageAnswers.clear();
}

void TestGroups::renameTrimsName()
{
    setUp(5);
    m_prompter.groupNameAnswers.push_back(str(" New name "));
    m_commands->renameGroup();
    QCOMPARE(m_prompter.groupNameAsked, QList<QString>{str("Five")});
    QCOMPARE(m_commands->selector().nameAt(2), str("New name"));
    QCOMPARE(m_commands->registry().groups().at(2).name, str("New name"));
    QCOMPARE(m_commands->groupMenuEnabled(), std::optional<bool>(true));
}

void TestGroups::deleteRemovesFileNameAndPosition()
{
    setUp(5);
    writeGroup(5, entries({str("gone")}));
    writeGroup(0, entries({str("default")}));
    m_prompter.messageAnswers.push_back(Prompter::Answer::Ok);

    m_commands->deleteGroup();

    QVERIFY(!QFile::exists(m_paths.groupFile(5)));
    const IniDocument doc =
        IniDocument::parse(QString::fromUtf8(fileBytes(m_paths.registryFile())));
    QVERIFY(!doc.contains(u"GroupNoName", u"Group5"));
    QCOMPARE(m_commands->registry().groups().size(), 3); // no gap left
    QCOMPARE(rowNumbers(), (QList<qint32>{0, 2, 3, -99}));
    QCOMPARE(m_commands->selector().currentRow(), 0);
    QCOMPARE(m_host->current, 0);
    QCOMPARE(textsOf(m_host->texts), QStringList{str("default")});
    QCOMPARE(m_commands->groupMenuEnabled(), std::optional<bool>(false));
}

void TestGroups::registryWriteFailureKeepsGroups()
{
    setUp(5);
    writeGroup(5, entries({str("kept")}));
    breakRegistry();
    m_prompter.groupNameAnswers = {str("New"), str("Renamed")};
    m_prompter.messageAnswers.push_back(Prompter::Answer::Ok);

    m_commands->chooseRow(4);
    m_commands->renameGroup();
    m_commands->deleteGroup();

    QCOMPARE(rowNumbers(), (QList<qint32>{0, 2, 5, 3, -99}));
    QCOMPARE(m_commands->selector().nameAt(2), str("Five"));
    QCOMPARE(m_commands->selector().currentRow(), 2);
    QCOMPARE(readGroup(5), QStringList{str("kept")});
    QCOMPARE(m_prompter.messages.size(), 4); // three failures and the delete question
}

void TestGroups::newOrderKeepsCurrentGroup()
{
    setUp(5);
    m_host->texts = entries({str("five")});
    m_prompter.groupOrderAnswers = {false, true};

    m_commands->orderGroups(); // cancelled: not even a save
    QVERIFY(m_host->calls.isEmpty());
    QVERIFY(m_commands->registry().writeOrder({0, 3, 5, 2}));
    m_commands->orderGroups();

    QCOMPARE(rowNumbers(), (QList<qint32>{0, 3, 5, 2, -99}));
    QCOMPARE(m_commands->selector().currentRow(), 2);
    QCOMPARE(m_host->calls,
             (QStringList{str("reset"), str("save:5"), str("stop"), str("load:5"), str("start")}));
    QCOMPARE(textsOf(m_host->texts), QStringList{str("five")});
}

void TestGroups::copyDialogNeedsSavedGroup_data()
{
    QTest::addColumn<bool>("saveWorks");
    QTest::addColumn<QString>("calls");
    QTest::newRow("saved") << true << str("stop reset save:2 dialog:2 load:2 start");
    QTest::newRow("save fails: not opened") << false << str("stop reset save:2 start");
}

void TestGroups::copyDialogNeedsSavedGroup()
{
    QFETCH(bool, saveWorks);
    QFETCH(QString, calls);
    setUp(2);
    m_host->saveWorks = saveWorks;
    m_prompter.onGroupCopy = [this](qint32 n) {
        m_host->calls.append(str("dialog:") + QString::number(n));
    };
    m_commands->copyBetweenGroups();
    QCOMPARE(m_host->calls.join(u' '), calls);
}

void TestGroups::comboBoxFollowsSelector()
{
    setUp(2);
    QComboBox cobGroup;
    bindGroupSelector(&cobGroup, &m_commands->selector(),
                      [this](int row) { m_commands->chooseRow(row); });
    QCOMPARE(cobGroup.currentIndex(), 1);
    m_prompter.groupNameAnswers = {std::nullopt, str("Six")};
    for (int i = 0; i < 2; ++i) { // the user picks "*** Make a new group", cancels, then names it
        cobGroup.setCurrentIndex(4);
        emit cobGroup.activated(4);
    }
    QCOMPARE(cobGroup.currentText(), str("Six"));
    QCOMPARE(cobGroup.count(), 6);
    m_prompter.messageAnswers.push_back(Prompter::Answer::Ok);
    m_commands->deleteGroup();
    QCOMPARE(cobGroup.currentIndex(), 0);
    QCOMPARE(m_host->calls.filter(str("load")), (QStringList{str("load:6"), str("load:0")}));
}

void TestGroups::nameDialog_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<std::optional<QString>>("expected");
    QTest::newRow("OK") << str("btnOK") << std::optional<QString>(str("a b"));
    QTest::newRow("Cancel") << str("btnCancel") << std::optional<QString>();
    QTest::newRow("Esc") << str("Esc") << std::optional<QString>();
    QTest::newRow("title bar") << str("close") << std::optional<QString>();
}

void TestGroups::nameDialog()
{
    QFETCH(QString, action);
    QFETCH(std::optional<QString>, expected);
    QWidget owner;
    QTimer::singleShot(0, &owner, [&owner, action] {
        auto *dialog = owner.findChild<GroupNameDialog *>(str("frmGroupName"));
        auto *txt = dialog->findChild<QLineEdit *>(str("txtGroupName"));
        QTRY_COMPARE(txt->selectedText(), str("old"));
        txt->setText(str("  a b  "));
        QTest::keyClick(txt, Qt::Key_Return); // Enter confirms nothing
        QVERIFY(dialog->isVisible());
        if (action == str("Esc"))
            QTest::keyClick(txt, Qt::Key_Escape);
        else if (action == str("close"))
            dialog->close();
        else
            QTest::mouseClick(dialog->findChild<QPushButton *>(action), Qt::LeftButton);
    });
    QCOMPARE(GroupNameDialog::ask(str("old"), &owner), expected);
}

void TestGroups::moveRows_data()
{
    // Rows A to D, a star after each selected row.
    QTest::addColumn<QString>("rows");
    QTest::addColumn<bool>("down");
    QTest::addColumn<QString>("expected");
    QTest::newRow("block up") << str("AB*C*D") << false << str("B*C*AD");
    QTest::newRow("apart up") << str("AB*CD*") << false << str("B*AD*C");
    QTest::newRow("block down") << str("AB*C*D") << true << str("ADB*C*");
    QTest::newRow("first row selected, up") << str("A*BC*D") << false << str("A*BC*D");
    QTest::newRow("last row selected, down") << str("AB*CD*") << true << str("AB*CD*");
    QTest::newRow("none selected") << str("ABCD") << false << str("ABCD");
}

void TestGroups::moveRows()
{
    QFETCH(QString, rows);
    QFETCH(bool, down);
    QFETCH(QString, expected);
    QList<OrderRow> list;
    for (const QChar c : rows) {
        if (c == u'*')
            list.last().selected = true;
        else
            list.append(OrderRow{c, c.unicode(), false});
    }
    moveSelectedRows(list, down ? MoveDirection::Down : MoveDirection::Up);
    QString result;
    for (const OrderRow &row : list)
        result += row.name + (row.selected ? str("*") : QString());
    QCOMPARE(result, expected);
}

void TestGroups::orderDialog_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("OK") << str("btnOK");
    QTest::newRow("Cancel") << str("btnCancel");
    QTest::newRow("Esc") << str("Esc");
    QTest::newRow("title bar") << str("close");
}

void TestGroups::orderDialog()
{
    QFETCH(QString, action);
    // A stray default group past position 0 is neither listed nor written back.
    writeRegistry({{0, {}}, {2, str("Two")}, {0, {}}, {5, str("Five")}, {7, str("Seven")}});
    const QByteArray before = fileBytes(m_paths.registryFile());
    QWidget owner;
    QTimer::singleShot(0, &owner, [&owner, action] {
        auto *dialog = owner.findChild<GroupOrderDialog *>(str("frmGroupOrder"));
        auto *list = dialog->findChild<QListWidget *>(str("lstGroup"));
        QCOMPARE(list->count(), 3);
        list->item(1)->setSelected(true);
        QTest::mouseClick(dialog->findChild<QPushButton *>(str("btnUp")), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton *>(str("btnUp")), Qt::LeftButton);
        QCOMPARE(list->item(0)->text(), str("Five"));
        if (action == str("Esc"))
            QTest::keyClick(list, Qt::Key_Escape);
        else if (action == str("close"))
            dialog->close();
        else
            QTest::mouseClick(dialog->findChild<QPushButton *>(action), Qt::LeftButton);
    });

    const bool written = GroupOrderDialog::ask(m_commands->registry(), m_prompter, &owner);

    QCOMPARE(written, action == str("btnOK"));
    if (written) {
        const QList<GroupInfo> expected{
            {0, {}}, {5, str("Five")}, {2, str("Two")}, {7, str("Seven")}};
        QCOMPARE(m_commands->registry().groups(), expected);
    } else {
        QCOMPARE(fileBytes(m_paths.registryFile()), before);
    }
}

void TestGroups::orderDialogWriteFailure()
{
    writeRegistry({{0, {}}, {2, str("Two")}});
    GroupOrderDialog dialog(m_commands->registry(), m_prompter);
    dialog.show();
    breakRegistry();
    QTest::mouseClick(dialog.findChild<QPushButton *>(str("btnOK")), Qt::LeftButton);
    QVERIFY(dialog.isVisible()); // the user may still cancel
    QCOMPARE(m_prompter.messages.size(), 1);
}

void TestGroups::copyRoomTakesTopmostSelected()
{
    writeRegistry({{0, {}}, {1, str("One")}});
    writeGroup(0, entries({str("a"), str("b"), str("c")}));
    QList<TextEntry> nearlyFull(kMaxListRows - 1, TextEntry{str("t"), 0, {}, 0});
    writeGroup(1, nearlyFull);
    GroupCopySession session = copySession();
    session.open(1);

    QVERIFY(session.transfer(CopyButton::MoveRight, {2, 0, 1}).changed);
    QCOMPARE(session.rowCount(1), kMaxListRows);
    QCOMPARE(session.entryAtRow(1, kMaxListRows - 1).text, str("a"));
    QCOMPARE(session.lines(0), (QStringList{str("  b"), str("  c")}));
    QVERIFY(!session.transfer(CopyButton::CopyRight, {0}).changed);
}

void TestGroups::copyTwiceAndMoveKeepingFlags()
{
    writeRegistry({{0, {}}, {1, str("One")}});
    const TextEntry kept{str("secret"), 1, str("Caption"), 1};
    writeGroup(0, {TextEntry{str("same"), 0, {}, 0}, kept});
    writeGroup(1, entries({str("first")}));
    GroupCopySession session = copySession();
    session.open(1);

    session.transfer(CopyButton::CopyRight, {0});
    session.transfer(CopyButton::CopyRight, {0});
    const auto moved = session.transfer(CopyButton::MoveRight, {1});
    QVERIFY(moved.changed && moved.move);
    QVERIFY(!session.transfer(CopyButton::MoveRight, {1}).changed); // the moved row is gone
    QVERIFY(session.saveAll());

    QCOMPARE(readGroup(0), QStringList{str("same")});
    const QList<TextEntry> destination = loadGroupFile(m_paths.groupFile(1), {}).entries;
    QCOMPARE(textsOf(destination),
             (QStringList{str("first"), str("same"), str("same"), str("secret")}));
    QCOMPARE(destination.last(), kept);
}

void TestGroups::groupChangeSavesChangedSides()
{
    writeRegistry({{0, {}}, {1, str("One")}, {2, str("Two")}});
    writeGroup(0, entries({str("zero")}));
    GroupCopySession session = copySession();
    session.open(1);
    session.transfer(CopyButton::CopyRight, {0});
    QVERIFY(QDir(m_paths.tempFolder).removeRecursively()); // every save fails now

    QVERIFY(session.chooseGroup(0, 2));
    QVERIFY(session.isModified(1));      // kept for the next chance
    QVERIFY(!session.chooseGroup(1, 2)); // reading another group would drop the copy
    QCOMPARE(session.lines(1), QStringList{str("  zero")});
    QCOMPARE(m_reports.size(), 2);

    QVERIFY(QDir().mkpath(m_paths.tempFolder));
    QVERIFY(session.chooseGroup(0, 1)); // saves the right side before the left reads it
    QVERIFY(!session.isModified(1));
    QCOMPARE(session.lines(0), QStringList{str("  zero")});
}

void TestGroups::removedMarkNeverListedAgainNorWritten()
{
    writeRegistry({{0, {}}, {1, str("One")}});
    writeGroup(1, {TextEntry{str("marked"), -1, {}, 0}, TextEntry{str("kept"), 0, {}, 0}});
    writeGroup(0, entries({str("new")}));
    GroupCopySession session = copySession();
    session.open(1);
    QCOMPARE(session.rowCount(1), 2); // listed as read

    session.transfer(CopyButton::CopyRight, {0});
    QCOMPARE(session.lines(1), (QStringList{str("  kept"), str("  new")}));
    QVERIFY(session.saveAll());
    QCOMPARE(readGroup(1), (QStringList{str("kept"), str("new")}));
}

void TestGroups::copyButtons_data()
{
    QTest::addColumn<int>("rightRow");
    QTest::addColumn<bool>("left");
    QTest::addColumn<bool>("right");
    QTest::addColumn<QList<bool>>("expected");
    QTest::newRow("same group twice listed")
        << 2 << true << true << QList<bool>{false, false, false, false};
    QTest::newRow("left selected") << 1 << true << false << QList<bool>{true, true, false, false};
    QTest::newRow("right selected") << 1 << false << true << QList<bool>{false, false, true, true};
}

void TestGroups::copyButtons()
{
    QFETCH(int, rightRow);
    QFETCH(bool, left);
    QFETCH(bool, right);
    QFETCH(QList<bool>, expected);
    writeRegistry({{0, {}}, {1, str("One")}, {0, {}}});
    GroupCopySession session = copySession();
    session.open(0);
    session.chooseGroup(1, rightRow);
    const std::array<bool, 4> enabled = session.buttonsEnabled(left, right);
    QCOMPARE(QList<bool>(enabled.begin(), enabled.end()), expected);
}

void TestGroups::copyDialogSavesOnClose()
{
    writeRegistry({{0, {}}, {1, str("One")}});
    writeGroup(0, entries({str("a"), str("b")}));
    GroupCopyDialog dialog(m_paths, 0, m_prompter);
    dialog.show();
    auto *left = dialog.findChild<QListWidget *>(str("lstText_0"));
    auto *right = dialog.findChild<QListWidget *>(str("lstText_1"));
    auto *copy = dialog.findChild<QPushButton *>(str("btnCopyMove_0"));

    dialog.findChild<QComboBox *>(str("cobGroup_1"))->setCurrentIndex(1);
    QVERIFY(!copy->isEnabled());
    QTest::mouseClick(left->viewport(), Qt::LeftButton, {},
                      left->visualItemRect(left->item(1)).center());
    QTRY_VERIFY(copy->isEnabled());
    QVERIFY(!dialog.findChild<QPushButton *>(str("btnCopyMove_2"))->isEnabled());
    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(right->count(), 1);
    QCOMPARE(right->currentRow(), 0);
    QCOMPARE(dialog.findChild<QLabel *>(str("lblListCounter_1"))->text(), str("1"));
    QVERIFY(readGroup(1).isEmpty()); // nothing written before a group change or close

    QVERIFY(QDir(m_paths.tempFolder).removeRecursively());
    m_prompter.messageAnswers.push_back(Prompter::Answer::Cancel);
    dialog.close(); // the title bar saves too; it failed and the user stays
    QVERIFY(dialog.isVisible());
    QVERIFY(QDir().mkpath(m_paths.tempFolder));
    QTest::mouseClick(dialog.findChild<QPushButton *>(str("btnOK")), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(readGroup(1), QStringList{str("b")});
}

QTEST_MAIN(TestGroups)
#include "tst_groups.moc"
