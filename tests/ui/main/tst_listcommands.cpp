#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "settings/settingskeys.h"
#include "store/textlistmodel.h"
#include "ui/main/listcommands.h"

#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>

namespace {
// An entry written as its flags' marks, the text and "=caption": "#" protected,
// "@" named, "2" and "%" the same flags read as 2 from a hand-edited file.
TextEntry entryFrom(const QString &notation)
{
    TextEntry e;
    qsizetype i = 0;
    for (; i < notation.size() && QStringLiteral("#@2%").contains(notation[i]); ++i) {
        e.protectFlag = notation[i] == u'#' ? 1 : notation[i] == u'2' ? 2 : e.protectFlag;
        e.namedFlag = notation[i] == u'@' ? 1 : notation[i] == u'%' ? 2 : e.namedFlag;
    }
    const QStringList parts = notation.mid(i).split(u'=');
    e.text = parts.at(0);
    e.caption = parts.value(1);
    return e;
}

QString notationOf(const TextEntry &e)
{
    QString marks = e.protectFlag == 1 ? QStringLiteral("#")
                    : e.protectFlag    ? QStringLiteral("2")
                                       : QString();
    marks += e.namedFlag == 1 ? QStringLiteral("@") : e.namedFlag ? QStringLiteral("%") : QString();
    return marks + e.text + (e.caption.isEmpty() ? QString() : QLatin1Char('=') + e.caption);
}

// What the commands asked, one letter each: D and C the Delete and Clear
// confirmations, W the one-text warning, E and N the edit and caption dialogs.
QString askedOf(const FakePrompter &p)
{
    const QString confirm = QStringLiteral("Confirm/OkCancel/");
    // clang-format off
    const QHash<QString, QChar> known{
        {confirm + QStringLiteral("Delete Selected text except procted(P#) and another caption(N@)"), u'D'},
        {confirm + QStringLiteral("Clear the List except procted(P#) and another caption(N@)"), u'C'},
        {QStringLiteral("Warning/Ok/select One text in the list."), u'W'}};
    // clang-format on
    QString asked;
    for (const FakePrompter::Message &m : p.messages) {
        const QString buttons =
            m.buttons == Prompter::Buttons::Ok ? QStringLiteral("Ok") : QStringLiteral("OkCancel");
        const bool plain = m.icon == Prompter::Icon::None;
        asked += plain ? known.value(m.title + u'/' + buttons + u'/' + m.text, u'?') : u'?';
    }
    return asked + QString(p.editTextAsked.size(), u'E') + QString(p.captionAsked.size(), u'N');
}

// The list written as "a,#b,c" with rows "0,2" selected; the clipboard holds
// "clip" and lastClipText is "last".
struct Env
{
    QTemporaryDir dir;
    Settings settings{dir.filePath(QStringLiteral("test.ini"))};
    TextListModel model;
    QItemSelectionModel selection{&model};
    FakeClipboard clipboard;
    FakePrompter prompter;
    QString last = QStringLiteral("last");
    int listChanged = 0;
    ListCommands commands{model,
                          selection,
                          clipboard,
                          prompter,
                          settings,
                          {[this] { ++listChanged; },
                           [] { return QFont(QStringLiteral("Serif"), 17); },
                           [this] { return last; }, [this](const QString &t) { last = t; }}};

    Env(const QString &entries, const QString &selected)
    {
        QList<TextEntry> list;
        for (const QString &notation : entries.split(u','))
            list.append(entryFrom(notation));
        model.loadEntries(list);
        for (const QString &row : selected.split(u',', Qt::SkipEmptyParts))
            RowSelection::setSelected(&selection, row.toInt(), true);
        clipboard.put(QStringLiteral("clip"));
    }
    QString entries() const
    {
        QStringList out;
        for (const TextEntry &e : model.entriesInRowOrder())
            out.append(notationOf(e));
        return out.join(u',');
    }
    QString selected() const
    {
        QStringList out;
        for (const int row : RowSelection::selectedRows(&selection))
            out.append(QString::number(row));
        return out.join(u',');
    }
};
} // namespace

class TestListCommands : public QObject
{
    Q_OBJECT

public:
    enum Command
    {
        Add,
        Edit,
        Delete,
        Clear,
        Protect,
        Caption,
        Up,
        Down,
        Copy
    };
    Q_ENUM(Command)

private slots:
    void commands_data()
    {
        for (const char *c : {"entries", "selected"})
            QTest::addColumn<QString>(c);
        QTest::addColumn<Command>("command");
        // msg: Msg_Delete and Msg_Clear; answer: "ok" or "cancel" to a confirmation,
        // the text typed into a dialog, "-" for the dialog's Cancel.
        for (const char *c :
             {"msg", "answer", "entriesAfter", "selectedAfter", "clip", "last", "asked"})
            QTest::addColumn<QString>(c);
        QTest::addColumn<int>("listChanged");
        // clang-format off
        QTest::newRow("delete asks once") << "a,#b,c" << "0,1,2" << Delete << "1" << "ok" << "#b" << "0" << "clip" << "last" << "D" << 1;
        QTest::newRow("delete, 0") << "a,#b,c" << "0,1,2" << Delete << "0" << "ok" << "#b" << "0" << "clip" << "last" << "" << 1;
        QTest::newRow("delete, 1.0") << "a,#b,c" << "0,2" << Delete << "1.0" << "ok" << "#b" << "" << "clip" << "last" << "" << 1;
        QTest::newRow("delete cancelled") << "a,#b" << "0,1" << Delete << "1" << "cancel" << "a,#b" << "0,1" << "clip" << "last" << "D" << 1;
        QTest::newRow("delete only kept") << "a,#b" << "1" << Delete << "1" << "ok" << "a,#b" << "1" << "clip" << "last" << "" << 1;
        QTest::newRow("delete flags 2") << "2a,%b,@c=x,d" << "0,1,2,3" << Delete << "0" << "" << "2a,%b,@c=x" << "0,1,2" << "clip" << "last" << "" << 1;
        QTest::newRow("delete last text") << "a,last,b" << "1,2" << Delete << "0" << "" << "a" << "" << "" << "" << "" << 1;
        QTest::newRow("clear keeps order") << "a,@b=x,c,#d,2e" << "1" << Clear << "1" << "ok" << "@b=x,#d,2e" << "" << "" << "" << "C" << 1;
        QTest::newRow("clear, 0") << "a,#b" << "1" << Clear << "0" << "ok" << "#b" << "" << "" << "" << "" << 1;
        QTest::newRow("clear cancelled") << "a,#b" << "1" << Clear << "1" << "cancel" << "a,#b" << "1" << "clip" << "last" << "C" << 0;
        QTest::newRow("clear all kept") << "#a,@b=x" << "" << Clear << "1" << "ok" << "#a,@b=x" << "" << "clip" << "last" << "" << 0;
        QTest::newRow("up 2,3") << "a,b,c,d,#e" << "2,3" << Up << "" << "" << "a,c,d,b,#e" << "1,2" << "clip" << "last" << "" << 0;
        QTest::newRow("up 1,3") << "a,b,c,d,#e" << "1,3" << Up << "" << "" << "b,a,d,c,#e" << "0,2" << "clip" << "last" << "" << 0;
        QTest::newRow("up 0,3") << "a,b,c,d,#e" << "0,3" << Up << "" << "" << "a,b,c,d,#e" << "0,3" << "clip" << "last" << "" << 0;
        QTest::newRow("down 1,2") << "a,b,c,d,#e" << "1,2" << Down << "" << "" << "a,d,b,c,#e" << "2,3" << "clip" << "last" << "" << 0;
        QTest::newRow("down 1,4") << "a,b,c,d,#e" << "1,4" << Down << "" << "" << "a,b,c,d,#e" << "1,4" << "clip" << "last" << "" << 0;
        QTest::newRow("copy 1,3") << "t0,t1,t2,@t3=x" << "1,3" << Copy << "" << "" << "t0,t1,t2,@t3=x" << "1,3" << "t1\r\nt3" << "t1\r\nt3" << "" << 0;
        QTest::newRow("copy blank") << "a,   " << "1" << Copy << "" << "" << "a,   " << "1" << "clip" << "last" << "" << 0;
        QTest::newRow("edit three") << "a,b,c" << "0,1,2" << Edit << "" << "" << "a,b,c" << "0,1,2" << "clip" << "last" << "W" << 0;
        QTest::newRow("edit cancelled") << "a,#b" << "1" << Edit << "" << "-" << "a,#b" << "1" << "b" << "b" << "E" << 0;
        QTest::newRow("edit blank") << "a,#b" << "1" << Edit << "" << "  " << "a,#b" << "1" << "b" << "b" << "E" << 0;
        QTest::newRow("edit") << "a,#@b=x" << "1" << Edit << "" << "n " << "a,#@n =x" << "1" << "n " << "n " << "E" << 0;
        QTest::newRow("caption three") << "a,b,c" << "0,1,2" << Caption << "" << "x" << "a,b,c" << "0,1,2" << "clip" << "last" << "W" << 0;
        QTest::newRow("caption spaces") << "a,#@b=x" << "1" << Caption << "" << "  " << "a,#b" << "1" << "clip" << "last" << "N" << 0;
        QTest::newRow("caption untrimmed") << "a,#b" << "1" << Caption << "" << " x " << "a,#@b= x " << "1" << "clip" << "last" << "N" << 0;
        QTest::newRow("caption cancelled") << "a,@b=x" << "1" << Caption << "" << "-" << "a,@b=x" << "1" << "clip" << "last" << "N" << 0;
        QTest::newRow("add") << "a,b" << "0" << Add << "" << " n\r\n" << "a,b, n\r\n" << "2" << " n\r\n" << "last" << "E" << 1;
        QTest::newRow("add empty") << "a,b" << "0" << Add << "" << "" << "a,b" << "0" << "clip" << "last" << "E" << 0;
        QTest::newRow("add spaces") << "a,b" << "0" << Add << "" << "   " << "a,b" << "0" << "clip" << "last" << "E" << 0;
        QTest::newRow("add cancelled") << "a,b" << "0" << Add << "" << "-" << "a,b" << "0" << "clip" << "last" << "E" << 0;
        QTest::newRow("protect") << "a,#b,2c,@d=x" << "0,1,2" << Protect << "" << "" << "#a,b,#c,@d=x" << "0,1,2" << "clip" << "last" << "" << 0;
        // clang-format on
    }
    void commands()
    {
        QFETCH(QString, entries);
        QFETCH(QString, selected);
        QFETCH(Command, command);
        QFETCH(QString, msg);
        QFETCH(QString, answer);
        Env env(entries, selected);
        env.settings.setValue(Setting::MsgDelete, msg);
        env.settings.setValue(Setting::MsgClear, msg);
        env.prompter.messageAnswers = {answer == u"cancel" ? Prompter::Answer::Cancel
                                                           : Prompter::Answer::Ok};
        const std::optional<QString> typed = answer == u"-" ? std::nullopt : std::optional(answer);
        env.prompter.editTextAnswers = {typed};
        env.prompter.captionAnswers = {typed};

        // clang-format off
        switch (command) {
        case Add: env.commands.add(); break;
        case Edit: env.commands.edit(); break;
        case Delete: env.commands.deleteSelected(); break;
        case Clear: env.commands.clear(); break;
        case Protect: env.commands.toggleProtect(); break;
        case Caption: env.commands.editCaption(); break;
        case Up: env.commands.moveSelected(ListCommands::Direction::Up); break;
        case Down: env.commands.moveSelected(ListCommands::Direction::Down); break;
        case Copy: env.commands.copySelectedText(); break;
        }
        // clang-format on

        QTEST(env.entries(), "entriesAfter");
        QTEST(env.selected(), "selectedAfter");
        QTEST(env.clipboard.content, "clip");
        QTEST(env.last, "last");
        QTEST(askedOf(env.prompter), "asked");
        QTEST(env.listChanged, "listChanged");
        QVERIFY(env.prompter.unexpected.isEmpty());
        for (int row = 0; row < env.model.count(); ++row)
            QCOMPARE(env.model.lineAt(row), makeListText(env.model.entryAt(row)));
        if (!env.prompter.editTextAsked.isEmpty())
            QCOMPARE(env.prompter.lastFont.pointSize(), 17);
        if (command == Clear && env.listChanged) // rebuilt without the removed entries' slots
            QCOMPARE(env.model.textDataLast() + 1, env.model.count());
    }

    // Nothing was taken from the clipboard yet: deleting an empty text must not wipe it.
    void deleteEmptyTextKeepsClipboard()
    {
        Env env(QStringLiteral("a,"), QStringLiteral("1"));
        env.settings.setValue(Setting::MsgDelete, u"0");
        env.last.clear();
        env.commands.deleteSelected();
        QCOMPARE(env.entries(), QStringLiteral("a"));
        QCOMPARE(env.clipboard.content, QStringLiteral("clip"));
    }

    void captionDialogGetsTheTextHead()
    {
        Env env(QStringLiteral("x"), QStringLiteral("0"));
        env.model.setEntryAt(0, entryFrom(QString(300, u'y') + QStringLiteral("=c")));
        env.prompter.captionAnswers = {std::nullopt};
        env.commands.editCaption();
        QCOMPARE(env.prompter.captionAsked.value(0),
                 std::pair(QString(256, u'y'), QStringLiteral("c")));
    }

    void addAtRowLimitAsksNothing()
    {
        Env env(QStringLiteral("a"), QString());
        env.model.loadEntries(QList<TextEntry>(kMaxListRows, entryFrom(QStringLiteral("x"))));
        env.commands.add();
        QCOMPARE(askedOf(env.prompter), QString());
    }
};

QTEST_MAIN(TestListCommands)
#include "tst_listcommands.moc"
