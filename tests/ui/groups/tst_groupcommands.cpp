#include "fakes/fakeprompter.h"
#include "grouptestutil.h"
#include "ui/groups/groupcommands.h"
#include "ui/groups/grouphost.h"
#include "ui/groups/groupnamedialog.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

// The main window's side of the group commands, on real group files.
class FakeHost : public GroupHost
{
public:
    explicit FakeHost(const AppPaths &paths)
        : m_paths(paths)
    {}

    qint32 currentGroupNo() const override { return current; }
    void setCurrentGroupNo(qint32 groupNo) override { current = groupNo; }
    bool saveCurrentGroup() override
    {
        calls.append(QStringLiteral("save:") + QString::number(current));
        return saveWorks && writeGroup(m_paths, current, texts);
    }
    void resetSaveElapsed() override { calls.append(QStringLiteral("reset")); }
    void loadCurrentGroup() override
    {
        calls.append(QStringLiteral("load:") + QString::number(current));
        texts = readGroup(m_paths, current);
    }
    void stopTimer() override { calls.append(QStringLiteral("stop")); }
    void startTimer() override { calls.append(QStringLiteral("start")); }
    void refreshButtons() override {}

    QStringList savesAndLoads() const
    {
        QStringList result;
        for (const QString &call : calls) {
            if (call.startsWith(QLatin1String("save")) || call.startsWith(QLatin1String("load")))
                result.append(call);
        }
        return result;
    }

    qint32 current = -1;
    QList<TextEntry> texts;
    QStringList calls;
    bool saveWorks = true;

private:
    AppPaths m_paths;
};

class TestGroupCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newGroupTakesTrimmedNameAndBecomesCurrent();
    void newGroupNotMade_data();
    void newGroupNotMade();
    void sameGroupAgainNeitherSavesNorLoads();
    void switchSavesOldAndLoadsNew();
    void switchKeepsGroupWhenSaveFails();
    void registryFailureKeepsSelector();
    void rename_data();
    void rename();
    void defaultGroupGuards_data();
    void defaultGroupGuards();
    void deleteRemovesFileNameAndPosition();
    void deleteNotDone_data();
    void deleteNotDone();
    void menuEnabledOnlyForOtherGroups();
    void newOrderKeepsCurrentGroup();
    void copyRunsWithTimerStoppedAndReloads();
    void copyNotOpenedWhenSaveFails();
    void comboBoxFollowsSelector();

    void nameDialogControls();
    void nameDialogAnswers_data();
    void nameDialogAnswers();

private:
    void setUpGroups(const QList<GroupInfo> &groups, qint32 maxGroupNo, qint32 current);
    QStringList rowNames() const;
    QList<qint32> rowNumbers() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    AppPaths m_paths;
    FakePrompter m_prompter;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<GroupCommands> m_commands;
};

void TestGroupCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_paths = makeTestPaths(*m_dir);
    m_prompter = FakePrompter();
    m_host = std::make_unique<FakeHost>(m_paths);
    m_commands = std::make_unique<GroupCommands>(m_paths, *m_host, m_prompter);
}

void TestGroupCommands::cleanup()
{
    QVERIFY2(m_prompter.unexpected.isEmpty(), qPrintable(m_prompter.unexpected.join(u',')));
    m_commands.reset();
    m_host.reset();
    m_dir.reset();
}

void TestGroupCommands::setUpGroups(const QList<GroupInfo> &groups, qint32 maxGroupNo,
                                    qint32 current)
{
    writeRegistry(m_paths, groups, maxGroupNo);
    m_commands->setUpSelector(0, current);
    QCOMPARE(m_host->current, current);
    m_host->texts = readGroup(m_paths, current);
}

QStringList TestGroupCommands::rowNames() const
{
    QStringList names;
    for (int row = 0; row < m_commands->selector().count(); ++row)
        names.append(m_commands->selector().nameAt(row));
    return names;
}

QList<qint32> TestGroupCommands::rowNumbers() const
{
    QList<qint32> numbers;
    for (int row = 0; row < m_commands->selector().count(); ++row)
        numbers.append(m_commands->selector().numberAt(row));
    return numbers;
}

void TestGroupCommands::newGroupTakesTrimmedNameAndBecomesCurrent()
{
    setUpGroups({{0, QString()}, {3, QStringLiteral("Three")}}, 3, 3);
    m_host->texts = entriesOf({QStringLiteral("unsaved")});
    m_prompter.groupNameAnswers.push_back(QStringLiteral("  Work  "));

    m_commands->chooseRow(2);

    QCOMPARE(m_prompter.groupNameAsked, QList<QString>{QString()});
    QCOMPARE(rowNames(), (QStringList{QString(), QStringLiteral("Three"), QStringLiteral("Work"),
                                      QStringLiteral("*** Make a new group")}));
    QCOMPARE(rowNumbers(), (QList<qint32>{0, 3, 4, -99}));
    QCOMPARE(m_commands->selector().currentRow(), 2);
    QCOMPARE(m_commands->registry().maxGroupNo(), 4);
    QCOMPARE(registryValue(m_paths, QStringLiteral("GroupNoName"), QStringLiteral("Group4")),
             QStringLiteral("Work"));
    QCOMPARE(m_commands->registry().groups().last(), (GroupInfo{4, QStringLiteral("Work")}));
    QCOMPARE(m_host->savesAndLoads(),
             (QStringList{QStringLiteral("save:3"), QStringLiteral("load:4")}));
    QCOMPARE(textsOf(readGroup(m_paths, 3)), QStringList{QStringLiteral("unsaved")});
    QCOMPARE(m_host->current, 4);
    QVERIFY(m_host->texts.isEmpty());
    // The timer is stopped around the load.
    const qsizetype load = m_host->calls.indexOf(QStringLiteral("load:4"));
    QCOMPARE(m_host->calls.at(load - 1), QStringLiteral("stop"));
    QCOMPARE(m_host->calls.at(load + 1), QStringLiteral("start"));
}

void TestGroupCommands::newGroupNotMade_data()
{
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::newRow("cancelled") << std::optional<QString>();
    QTest::newRow("empty") << std::optional<QString>(QString());
    QTest::newRow("blanks") << std::optional<QString>(QStringLiteral("   "));
}

void TestGroupCommands::newGroupNotMade()
{
    QFETCH(std::optional<QString>, answer);
    setUpGroups({{0, QString()}, {2, QStringLiteral("Two")}}, 2, 2);
    m_prompter.groupNameAnswers.push_back(answer);

    m_commands->chooseRow(2);

    QCOMPARE(m_commands->selector().currentRow(), 1);
    QCOMPARE(rowNumbers(), (QList<qint32>{0, 2, -99}));
    QCOMPARE(m_commands->registry().maxGroupNo(), 2);
    QVERIFY(m_host->savesAndLoads().isEmpty());
    QCOMPARE(m_host->current, 2);
}

void TestGroupCommands::sameGroupAgainNeitherSavesNorLoads()
{
    setUpGroups({{0, QString()}, {1, QStringLiteral("One")}}, 1, 1);
    m_commands->chooseRow(1);
    QVERIFY(m_host->savesAndLoads().isEmpty());
    QCOMPARE(m_host->current, 1);
}

void TestGroupCommands::switchSavesOldAndLoadsNew()
{
    writeGroup(m_paths, 1, entriesOf({QStringLiteral("one")}));
    setUpGroups({{0, QString()}, {1, QStringLiteral("One")}}, 1, 0);
    m_host->texts = entriesOf({QStringLiteral("zero")});

    m_commands->chooseRow(1);

    QCOMPARE(m_host->savesAndLoads(),
             (QStringList{QStringLiteral("save:0"), QStringLiteral("load:1")}));
    QCOMPARE(textsOf(readGroup(m_paths, 0)), QStringList{QStringLiteral("zero")});
    QCOMPARE(textsOf(m_host->texts), QStringList{QStringLiteral("one")});
}

void TestGroupCommands::switchKeepsGroupWhenSaveFails()
{
    // Loading the other group after a failed save would lose the unsaved texts.
    setUpGroups({{0, QString()}, {1, QStringLiteral("One")}}, 1, 0);
    m_host->texts = entriesOf({QStringLiteral("unsaved")});
    m_host->saveWorks = false;

    m_commands->chooseRow(1);

    QCOMPARE(m_host->current, 0);
    QCOMPARE(m_commands->selector().currentRow(), 0);
    QCOMPARE(m_host->savesAndLoads(), QStringList{QStringLiteral("save:0")});
    QCOMPARE(textsOf(m_host->texts), QStringList{QStringLiteral("unsaved")});
    QCOMPARE(m_prompter.messages.size(), 1);
    QCOMPARE(m_prompter.messages.first().title, QStringLiteral("System error"));
}

void TestGroupCommands::registryFailureKeepsSelector()
{
    setUpGroups({{0, QString()}, {1, QStringLiteral("One")}}, 1, 1);
    writeGroup(m_paths, 1, entriesOf({QStringLiteral("kept")}));
    // A registry that cannot be replaced: every write of it fails.
    QFile::remove(m_paths.registryFile());
    QVERIFY(QDir().mkpath(m_paths.registryFile()));
    m_prompter.groupNameAnswers.push_back(QStringLiteral("New"));
    m_prompter.groupNameAnswers.push_back(QStringLiteral("Renamed"));
    m_prompter.messageAnswers.push_back(Prompter::Answer::Ok);

    m_commands->chooseRow(2);
    QCOMPARE(m_commands->selector().currentRow(), 1);
    m_commands->renameGroup();
    m_commands->deleteGroup();

    QCOMPARE(rowNames(), (QStringList{QString(), QStringLiteral("One"),
                                      QStringLiteral("*** Make a new group")}));
    QCOMPARE(m_commands->selector().currentRow(), 1);
    QCOMPARE(textsOf(readGroup(m_paths, 1)), QStringList{QStringLiteral("kept")});
    QVERIFY(m_host->savesAndLoads().isEmpty());
    QCOMPARE(m_prompter.messages.size(), 4); // 3 failures + the delete question
    for (const qsizetype i : {0, 1, 3})
        QCOMPARE(m_prompter.messages.at(i).title, QStringLiteral("System error"));
}

void TestGroupCommands::rename_data()
{
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("expected");
    QTest::newRow("trimmed") << std::optional<QString>(QStringLiteral(" Notes "))
                             << QStringLiteral("Notes");
    QTest::newRow("blank keeps old name")
        << std::optional<QString>(QStringLiteral("  ")) << QStringLiteral("Old");
    QTest::newRow("cancel keeps old name") << std::optional<QString>() << QStringLiteral("Old");
}

void TestGroupCommands::rename()
{
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, expected);
    setUpGroups({{0, QString()}, {7, QStringLiteral("Old")}}, 7, 7);
    m_prompter.groupNameAnswers.push_back(answer);

    m_commands->renameGroup();

    QCOMPARE(m_prompter.groupNameAsked, QList<QString>{QStringLiteral("Old")});
    QCOMPARE(m_commands->selector().nameAt(1), expected);
    QCOMPARE(registryValue(m_paths, QStringLiteral("GroupNoName"), QStringLiteral("Group7")),
             expected);
    QVERIFY(m_host->savesAndLoads().isEmpty());
}

void TestGroupCommands::defaultGroupGuards_data()
{
    QTest::addColumn<bool>("remove");
    QTest::addColumn<QString>("text");
    QTest::newRow("rename") << false << QStringLiteral("Can Not rename the default group.");
    QTest::newRow("delete") << true << QStringLiteral("Can Not delete the default group.");
}

void TestGroupCommands::defaultGroupGuards()
{
    QFETCH(bool, remove);
    QFETCH(QString, text);
    setUpGroups({{0, QString()}, {1, QStringLiteral("One")}}, 1, 0);
    writeGroup(m_paths, 0, entriesOf({QStringLiteral("x")}));

    remove ? m_commands->deleteGroup() : m_commands->renameGroup();

    QCOMPARE(m_prompter.messages.size(), 1);
    QCOMPARE(m_prompter.messages.first().text, text);
    QCOMPARE(m_prompter.messages.first().title, QStringLiteral("Warning"));
    QCOMPARE(m_prompter.messages.first().buttons, Prompter::Buttons::Ok);
    QVERIFY(m_prompter.groupNameAsked.isEmpty());
    QCOMPARE(rowNumbers(), (QList<qint32>{0, 1, -99}));
    QVERIFY(QFile::exists(m_paths.groupFile(0)));
}

void TestGroupCommands::deleteRemovesFileNameAndPosition()
{
    setUpGroups({{0, QString()},
                 {2, QStringLiteral("Two")},
                 {5, QStringLiteral("Five")},
                 {3, QStringLiteral("Three")}},
                5, 5);
    writeGroup(m_paths, 5, entriesOf({QStringLiteral("gone")}));
    writeGroup(m_paths, 0, entriesOf({QStringLiteral("default")}));
    m_prompter.messageAnswers.push_back(Prompter::Answer::Ok);

    m_commands->deleteGroup();

    QCOMPARE(m_prompter.messages.size(), 1);
    QCOMPARE(m_prompter.messages.first().text, QStringLiteral("Delete the current group."));
    QCOMPARE(m_prompter.messages.first().title, QStringLiteral("Warning Query"));
    QCOMPARE(m_prompter.messages.first().buttons, Prompter::Buttons::OkCancel);
    QVERIFY(!QFile::exists(m_paths.groupFile(5)));
    const IniDocument doc = [&] {
        QFile file(m_paths.registryFile());
        file.open(QIODevice::ReadOnly);
        return IniDocument::parse(QString::fromUtf8(file.readAll()));
    }();
    QVERIFY(!doc.contains(u"GroupNoName", u"Group5"));
    const QList<std::pair<QString, QString>> positions{
        {QStringLiteral("Group0"), QStringLiteral("0")},
        {QStringLiteral("Group1"), QStringLiteral("2")},
        {QStringLiteral("Group2"), QStringLiteral("3")}};
    QCOMPARE(doc.entries(u"GroupNo"), positions);
    QCOMPARE(rowNumbers(), (QList<qint32>{0, 2, 3, -99}));
    QCOMPARE(m_commands->selector().currentRow(), 0);
    QCOMPARE(m_host->current, 0);
    QCOMPARE(m_host->savesAndLoads(), QStringList{QStringLiteral("load:0")});
    QCOMPARE(textsOf(m_host->texts), QStringList{QStringLiteral("default")});
    QCOMPARE(m_commands->registry().maxGroupNo(), 5);
}

void TestGroupCommands::deleteNotDone_data()
{
    QTest::addColumn<bool>("newGroupRow");
    QTest::addColumn<bool>("asked");
    QTest::newRow("cancelled") << false << true;
    QTest::newRow("new-group row selected") << true << false;
}

void TestGroupCommands::deleteNotDone()
{
    QFETCH(bool, newGroupRow);
    QFETCH(bool, asked);
    setUpGroups({{0, QString()}, {4, QStringLiteral("Four")}}, 4, 4);
    writeGroup(m_paths, 4, entriesOf({QStringLiteral("four")}));
    if (newGroupRow)
        m_commands->selector().setCurrentRow(2);
    else
        m_prompter.messageAnswers.push_back(Prompter::Answer::Cancel);

    m_commands->deleteGroup();

    QCOMPARE(m_prompter.messages.size(), asked ? 1 : 0);
    QVERIFY(QFile::exists(m_paths.groupFile(4)));
    QCOMPARE(m_commands->registry().groups().size(), 2);
    QCOMPARE(rowNumbers(), (QList<qint32>{0, 4, -99}));
    QCOMPARE(m_host->current, 4);
    QVERIFY(m_host->savesAndLoads().isEmpty());
}

void TestGroupCommands::menuEnabledOnlyForOtherGroups()
{
    setUpGroups({{0, QString()}, {1, QStringLiteral("One")}}, 1, 0);
    QCOMPARE(m_commands->groupMenuEnabled(), std::optional<bool>(false));
    m_commands->chooseRow(1);
    QCOMPARE(m_commands->groupMenuEnabled(), std::optional<bool>(true));
    m_commands->selector().setCurrentRow(-1);
    QCOMPARE(m_commands->groupMenuEnabled(), std::optional<bool>());
}

void TestGroupCommands::newOrderKeepsCurrentGroup()
{
    setUpGroups({{0, QString()}, {1, QStringLiteral("One")}, {2, QStringLiteral("Two")}}, 2, 1);
    m_host->texts = entriesOf({QStringLiteral("one")});
    m_prompter.groupOrderAnswers = {false, true};

    m_commands->orderGroups(); // cancelled: nothing at all
    QVERIFY(m_host->calls.isEmpty());

    QVERIFY(m_commands->registry().writeOrder({0, 2, 1}));
    m_commands->orderGroups();

    QCOMPARE(rowNumbers(), (QList<qint32>{0, 2, 1, -99}));
    QCOMPARE(m_commands->selector().currentRow(), 2);
    QCOMPARE(m_host->current, 1);
    QCOMPARE(m_host->savesAndLoads(),
             (QStringList{QStringLiteral("save:1"), QStringLiteral("load:1")}));
    QCOMPARE(textsOf(m_host->texts), QStringList{QStringLiteral("one")});
}

void TestGroupCommands::copyRunsWithTimerStoppedAndReloads()
{
    setUpGroups({{0, QString()}, {1, QStringLiteral("One")}}, 1, 1);
    m_host->texts = entriesOf({QStringLiteral("before")});
    QStringList seenByDialog;
    m_prompter.onGroupCopy = [&](qint32) {
        seenByDialog = textsOf(readGroup(m_paths, 1));
        m_host->calls.append(QStringLiteral("dialog"));
        writeGroup(m_paths, 1, entriesOf({QStringLiteral("before"), QStringLiteral("copied")}));
    };

    m_commands->copyBetweenGroups();

    QCOMPARE(m_prompter.groupCopyAsked, QList<qint32>{1});
    QCOMPARE(seenByDialog, QStringList{QStringLiteral("before")});
    QCOMPARE(m_host->calls, (QStringList{QStringLiteral("stop"), QStringLiteral("reset"),
                                         QStringLiteral("save:1"), QStringLiteral("dialog"),
                                         QStringLiteral("load:1"), QStringLiteral("start")}));
    QCOMPARE(textsOf(m_host->texts),
             (QStringList{QStringLiteral("before"), QStringLiteral("copied")}));

    m_commands->selector().setCurrentRow(2); // the new-group row: not opened
    m_commands->copyBetweenGroups();
    QCOMPARE(m_prompter.groupCopyAsked.size(), 1);
}

void TestGroupCommands::copyNotOpenedWhenSaveFails()
{
    setUpGroups({{0, QString()}}, 0, 0);
    m_host->texts = entriesOf({QStringLiteral("unsaved")});
    m_host->saveWorks = false;

    m_commands->copyBetweenGroups();

    QVERIFY(m_prompter.groupCopyAsked.isEmpty());
    QCOMPARE(m_host->calls.last(), QStringLiteral("start"));
    QVERIFY(!m_host->calls.contains(QStringLiteral("load:0")));
    QCOMPARE(textsOf(m_host->texts), QStringList{QStringLiteral("unsaved")});
    QCOMPARE(m_prompter.messages.size(), 1);
}

void TestGroupCommands::comboBoxFollowsSelector()
{
    setUpGroups({{0, QString()}, {1, QStringLiteral("One")}}, 1, 1);
    QComboBox cobGroup;
    QList<int> chosen;
    bindGroupSelector(&cobGroup, &m_commands->selector(), [&](int row) {
        chosen.append(row);
        m_commands->chooseRow(row);
    });
    QCOMPARE(cobGroup.currentIndex(), 1);
    QCOMPARE(cobGroup.count(), 3);

    // The user picks the new-group row and cancels: the combo box shows group 1 again.
    m_prompter.groupNameAnswers.push_back(std::nullopt);
    cobGroup.setCurrentIndex(2);
    emit cobGroup.activated(2);
    QCOMPARE(cobGroup.currentIndex(), 1);

    m_prompter.groupNameAnswers.push_back(QStringLiteral("Two"));
    cobGroup.setCurrentIndex(2);
    emit cobGroup.activated(2);
    QCOMPARE(cobGroup.count(), 4);
    QCOMPARE(cobGroup.currentIndex(), 2);
    QCOMPARE(cobGroup.currentText(), QStringLiteral("Two"));
    QCOMPARE(cobGroup.itemText(3), QStringLiteral("*** Make a new group"));

    // The program's own changes are not taken for the user's choice.
    m_prompter.messageAnswers.push_back(Prompter::Answer::Ok);
    m_commands->deleteGroup();
    QCOMPARE(cobGroup.currentIndex(), 0);
    QCOMPARE(cobGroup.count(), 3);
    QCOMPARE(chosen, (QList<int>{2, 2}));
}

void TestGroupCommands::nameDialogControls()
{
    GroupNameDialog dialog(QStringLiteral("Old name"));
    QCOMPARE(dialog.objectName(), QStringLiteral("frmGroupName"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Group Name"));
    QVERIFY(
        !(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    auto *txt = dialog.findChild<QLineEdit *>(QStringLiteral("txtGroupName"));
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("btnOK"));
    auto *cancel = dialog.findChild<QPushButton *>(QStringLiteral("btnCancel"));
    QVERIFY(txt && ok && cancel);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTRY_VERIFY(txt->hasFocus());
    QCOMPARE(txt->selectedText(), QStringLiteral("Old name"));
    // Enter in the text box confirms nothing.
    QTest::keyClick(txt, Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
}

void TestGroupCommands::nameDialogAnswers_data()
{
    QTest::addColumn<int>("how");
    QTest::addColumn<std::optional<QString>>("expected");
    QTest::newRow("OK trims") << 0 << std::optional<QString>(QStringLiteral("a b"));
    QTest::newRow("Cancel") << 1 << std::optional<QString>();
    QTest::newRow("Esc") << 2 << std::optional<QString>();
    QTest::newRow("title bar") << 3 << std::optional<QString>();
}

void TestGroupCommands::nameDialogAnswers()
{
    QFETCH(int, how);
    QFETCH(std::optional<QString>, expected);
    QWidget owner;
    QTimer::singleShot(0, &owner, [&owner, how] {
        auto *dialog = owner.findChild<GroupNameDialog *>();
        QVERIFY(dialog);
        auto *txt = dialog->findChild<QLineEdit *>(QStringLiteral("txtGroupName"));
        txt->setText(QStringLiteral("  a b  "));
        switch (how) {
        case 0:
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOK")),
                              Qt::LeftButton);
            break;
        case 1:
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnCancel")),
                              Qt::LeftButton);
            break;
        case 2:
            QTest::keyClick(txt, Qt::Key_Escape);
            break;
        default:
            dialog->close();
        }
    });
    QCOMPARE(GroupNameDialog::ask(QStringLiteral("x"), &owner), expected);
}

QTEST_MAIN(TestGroupCommands)
#include "tst_groupcommands.moc"
