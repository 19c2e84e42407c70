#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "settings/settingskeys.h"
#include "store/textlistmodel.h"
#include "ui/main/listcommands.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
using Rows = QList<int>;

// An entry written as its flags' marks, the text and "=caption": "#" protected,
// "@" named, "2" and "%" the same flags read as 2 from a hand-edited file.
TextEntry entryFrom(const QString &notation)
{
    qsizetype i = 0;
    while (i < notation.size() && u"#@2%"_s.contains(notation[i]))
        ++i;
    const QStringView marks = QStringView(notation).left(i);
    const auto flag = [marks](QChar one, QChar two) {
        return qint16(marks.contains(one) ? 1 : 2 * marks.contains(two));
    };
    const QStringList parts = notation.mid(i).split(u'=');
    return TextEntry{parts.at(0), flag(u'#', u'2'), parts.value(1), flag(u'@', u'%')};
}

QString notationOf(const TextEntry &e)
{
    const QStringList protect{QString(), u"#"_s, u"2"_s};
    const QStringList named{QString(), u"@"_s, u"%"_s};
    const QString odd = u"?"_s; // a flag value no command should leave
    return protect.value(e.protectFlag, odd) + named.value(e.namedFlag, odd) + e.text +
           (e.caption.isEmpty() ? QString() : u'=' + e.caption);
}

// What the commands asked, one letter each: D and C the Delete and Clear
// confirmations, S the warning to select one text, E and N the edit and caption dialogs.
QString askedOf(const FakePrompter &p)
{
    QString asked;
    for (const FakePrompter::Message &m : p.messages)
        asked += m.text.at(0).toUpper();
    return asked + QString(p.editTextAsked.size(), u'E') + QString(p.captionAsked.size(), u'N');
}

// The list written as "a,#b,c" with rows {0, 2} selected; the clipboard holds
// "clip" and lastClipText is "last".
struct Env
{
    QTemporaryDir dir;
    Settings settings{dir.filePath(u"test.ini"_s)};
    TextListModel model;
    QItemSelectionModel selection{&model};
    FakeClipboard clipboard;
    FakePrompter prompter;
    QString last = u"last"_s;
    int listChanged = 0;
    ListCommands::Hooks hooks{[this] { ++listChanged; }, [] { return QFont(u"Serif"_s, 17); },
                              [this] { return last; }, [this](const QString &t) { last = t; }};
    ListCommands commands{model, selection, clipboard, prompter, settings, hooks};

    Env(const QString &entries, const Rows &selected)
    {
        QList<TextEntry> list;
        for (const QString &notation : entries.split(u','))
            list.append(entryFrom(notation));
        model.loadEntries(list);
        for (const int row : selected)
            RowSelection::setSelected(&selection, row, true);
        clipboard.put(u"clip"_s);
    }
    QString entries() const
    {
        QStringList out;
        for (const TextEntry &e : model.entriesInRowOrder())
            out.append(notationOf(e));
        return out.join(u',');
    }
};
using Run = std::function<void(ListCommands &)>;
} // namespace
Q_DECLARE_METATYPE(Run)

class TestListCommands : public QObject
{
    Q_OBJECT

private slots:
    void commands_data()
    {
        QTest::addColumn<QString>("entries");
        QTest::addColumn<Rows>("selected");
        QTest::addColumn<Run>("command");
        // msg: Msg_Delete and Msg_Clear; answer: "ok" or "cancel" to a confirmation,
        // the text typed into a dialog, "-" for the dialog's Cancel.
        for (const char *c : {"msg", "answer", "entriesAfter"})
            QTest::addColumn<QString>(c);
        QTest::addColumn<Rows>("selectedAfter");
        for (const char *c : {"clip", "last", "asked"})
            QTest::addColumn<QString>(c);
        QTest::addColumn<int>("listChanged");
        const Run add = &ListCommands::add, edit = &ListCommands::edit,
                  del = &ListCommands::deleteSelected, clear = &ListCommands::clear,
                  protect = &ListCommands::toggleProtect, caption = &ListCommands::editCaption,
                  copy = &ListCommands::copySelectedText;
        const Run up = [](ListCommands &c) { c.moveSelected(ListCommands::Direction::Up); };
        const Run down = [](ListCommands &c) { c.moveSelected(ListCommands::Direction::Down); };
        // clang-format off
        QTest::newRow("delete asks once") << "a,#b,c" << Rows{0, 1, 2} << del << "1" << "ok" << "#b" << Rows{0} << "clip" << "last" << "D" << 1;
        QTest::newRow("delete, 0, flags 2") << "a,2b,%c=x,@d=y,e" << Rows{0, 1, 2, 3, 4} << del << "0" << "" << "2b,%c=x,@d=y" << Rows{0, 1, 2} << "clip" << "last" << "" << 1;
        QTest::newRow("delete, 1.0") << "a,#b,c" << Rows{0, 2} << del << "1.0" << "ok" << "#b" << Rows{} << "clip" << "last" << "" << 1;
        QTest::newRow("delete cancelled") << "a,#b" << Rows{0, 1} << del << "1" << "cancel" << "a,#b" << Rows{0, 1} << "clip" << "last" << "D" << 1;
        QTest::newRow("delete only kept") << "a,#b" << Rows{1} << del << "1" << "ok" << "a,#b" << Rows{1} << "clip" << "last" << "" << 1;
        QTest::newRow("delete last text") << "a,last,b" << Rows{1, 2} << del << "0" << "" << "a" << Rows{} << "" << "" << "" << 1;
        QTest::newRow("clear keeps order") << "a,@b=x,c,#d,2e" << Rows{1} << clear << "1" << "ok" << "@b=x,#d,2e" << Rows{} << "" << "" << "C" << 1;
        QTest::newRow("clear cancelled") << "a,#b" << Rows{1} << clear << "1" << "cancel" << "a,#b" << Rows{1} << "clip" << "last" << "C" << 0;
        QTest::newRow("clear all kept") << "#a,@b=x" << Rows{} << clear << "1" << "ok" << "#a,@b=x" << Rows{} << "clip" << "last" << "" << 0;
        QTest::newRow("up 1,3") << "a,b,c,d,#e" << Rows{1, 3} << up << "" << "" << "b,a,d,c,#e" << Rows{0, 2} << "clip" << "last" << "" << 0;
        QTest::newRow("up 0,3") << "a,b,c,d,#e" << Rows{0, 3} << up << "" << "" << "a,b,c,d,#e" << Rows{0, 3} << "clip" << "last" << "" << 0;
        QTest::newRow("down 1,2") << "a,b,c,d,#e" << Rows{1, 2} << down << "" << "" << "a,d,b,c,#e" << Rows{2, 3} << "clip" << "last" << "" << 0;
        QTest::newRow("down 1,4") << "a,b,c,d,#e" << Rows{1, 4} << down << "" << "" << "a,b,c,d,#e" << Rows{1, 4} << "clip" << "last" << "" << 0;
        QTest::newRow("copy 1,3") << "t0,t1,t2,@t3=x" << Rows{1, 3} << copy << "" << "" << "t0,t1,t2,@t3=x" << Rows{1, 3} << "t1\r\nt3" << "t1\r\nt3" << "" << 0;
        QTest::newRow("copy blank") << "a,   " << Rows{1} << copy << "" << "" << "a,   " << Rows{1} << "clip" << "last" << "" << 0;
        QTest::newRow("edit three") << "a,b,c" << Rows{0, 1, 2} << edit << "" << "" << "a,b,c" << Rows{0, 1, 2} << "clip" << "last" << "S" << 0;
        QTest::newRow("edit cancelled") << "a,#b" << Rows{1} << edit << "" << "-" << "a,#b" << Rows{1} << "b" << "b" << "E" << 0;
        QTest::newRow("edit blank") << "a,#b" << Rows{1} << edit << "" << "  " << "a,#b" << Rows{1} << "b" << "b" << "E" << 0;
        QTest::newRow("edit") << "a,#@b=x" << Rows{1} << edit << "" << "n " << "a,#@n =x" << Rows{1} << "n " << "n " << "E" << 0;
        QTest::newRow("caption spaces") << "a,#@b=x" << Rows{1} << caption << "" << "  " << "a,#b" << Rows{1} << "clip" << "last" << "N" << 0;
        QTest::newRow("caption untrimmed") << "a,#b" << Rows{1} << caption << "" << " x " << "a,#@b= x " << Rows{1} << "clip" << "last" << "N" << 0;
        QTest::newRow("caption cancelled") << "a,@b=x" << Rows{1} << caption << "" << "-" << "a,@b=x" << Rows{1} << "clip" << "last" << "N" << 0;
        QTest::newRow("add") << "a,b" << Rows{0} << add << "" << " n\r\n" << "a,b, n\r\n" << Rows{2} << " n\r\n" << "last" << "E" << 1;
        QTest::newRow("add spaces") << "a,b" << Rows{0} << add << "" << "   " << "a,b" << Rows{0} << "clip" << "last" << "E" << 0;
        QTest::newRow("add cancelled") << "a,b" << Rows{0} << add << "" << "-" << "a,b" << Rows{0} << "clip" << "last" << "E" << 0;
        QTest::newRow("protect") << "a,#b,2c,@d=x" << Rows{0, 1, 2} << protect << "" << "" << "#a,b,#c,@d=x" << Rows{0, 1, 2} << "clip" << "last" << "" << 0;
        // clang-format on
    }
    void commands()
    {
        QFETCH(QString, entries);
        QFETCH(Rows, selected);
        QFETCH(Run, command);
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

        command(env.commands);

        QTEST(env.entries(), "entriesAfter");
        QTEST(RowSelection::selectedRows(&env.selection), "selectedAfter");
        QTEST(env.clipboard.content, "clip");
        QTEST(env.last, "last");
        QTEST(askedOf(env.prompter), "asked");
        QTEST(env.listChanged, "listChanged");
        if (!env.prompter.editTextAsked.isEmpty()) // the dialog edits in the list's font
            QCOMPARE(env.prompter.lastFont.pointSize(), 17);
    }

    // An empty text (from a hand-edited file) matched an empty lastClipText and
    // wiped whatever the user had on the clipboard.
    void deletingAnEmptyTextKeepsTheClipboard()
    {
        Env env(u"a,"_s, Rows{1});
        env.last.clear();
        env.settings.setValue(Setting::MsgDelete, u"0"_s);
        env.commands.deleteSelected();
        QCOMPARE(env.entries(), u"a"_s);
        QCOMPARE(env.clipboard.content, u"clip"_s);
    }
};

QTEST_MAIN(TestListCommands)
#include "tst_listcommands.moc"
