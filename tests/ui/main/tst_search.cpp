#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "platform/filesys.h"
#include "store/groupfile.h"
#include "ui/dialogs/textfilter.h"
#include "ui/groups/groupcopydialog.h"
#include "ui/main/mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList lines(QStringView barSeparated)
{
    return barSeparated.toString().split(u'|');
}

TextEntry entry(const QString &text, qint16 protect = 0, const QString &caption = {})
{
    return TextEntry{text, protect, caption, qint16(caption.isEmpty() ? 0 : 1)};
}

// The main window on a fresh user folder whose default group holds the texts.
struct Rig
{
    explicit Rig(const QList<TextEntry> &texts)
    {
        QDir().mkpath(paths.dataFolder);
        QDir().mkpath(paths.tempFolder);
        settings.writeStartupDefaults();
        env.trayAvailable = [] { return false; };
        if (!saveGroupFile(paths.groupFile(0), texts))
            qFatal("cannot write the group file");
        window = std::make_unique<MainWindow>(paths, clipboard, &prompter, env);
        window->load();
        window->show();
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("the window did not become active");
        list()->setFocus();
    }
    template<typename T = QWidget> T *child(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        return found ? found : (qFatal("no %s", name), nullptr);
    }
    QListView *list() const { return child<QListView>("lstText"); }
    QLineEdit *search() const { return child<QLineEdit>("txtSearch"); }
    QString counter() const { return child<QLabel>("lblListCounter")->text(); }
    MainController &controller() const { return window->controller(); }

    // The lines the list shows, top to bottom.
    QStringList shown() const
    {
        QStringList lines;
        const QAbstractItemModel *model = list()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            lines << model->index(row, 0).data().toString().trimmed();
        return lines;
    }
    // The texts of the whole list's selected rows.
    QStringList selectedTexts() const
    {
        QStringList texts;
        for (const int row : RowSelection::selectedRows(&controller().selection()))
            texts << controller().model().entryAt(row).text;
        return texts;
    }
    void selectShown(const QList<int> &rows) const
    {
        QItemSelectionModel *selection = list()->selectionModel();
        selection->clearSelection();
        for (const int row : rows)
            selection->select(list()->model()->index(row, 0), QItemSelectionModel::Select);
    }
    void copied(const QString &text)
    {
        clipboard.put(text);
        controller().monitor().capture();
    }

    QTemporaryDir dir;
    AppPaths paths = AppPaths::forUserFolder(dir.path());
    Settings settings{paths.iniFile};
    FakeClipboard clipboard;
    FakePrompter prompter;
    MainWindow::Environment env;
    std::unique_ptr<MainWindow> window;
};

const QList<TextEntry> kTexts{
    entry(QStringLiteral("apple pie")),
    entry(QStringLiteral("Banana\r\nbread"), 1),
    entry(QStringLiteral("cherry"), 0, QStringLiteral("Pie recipe")),
    entry(QStringLiteral("APPLE juice")),
    entry(QStringLiteral("date")),
};

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void filter_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("matches");
        const auto s = [](const char16_t *text) { return QString::fromUtf16(text); };
        // clang-format off
        QTest::newRow("empty keeps all") << u""_s << u"x"_s << u""_s << true;
        QTest::newRow("any case") << u"aPPle"_s << u"An Apple"_s << u""_s << true;
        QTest::newRow("caption") << u"recipe"_s << u"x"_s << u"Pie Recipe"_s << true;
        QTest::newRow("neither") << u"pear"_s << u"apple"_s << u"fruit"_s << false;
        QTest::newRow("not the prefix") << u"# a"_s << u"a"_s << u""_s << false;
        QTest::newRow("not the [cr] mark") << u"[cr]"_s << u"a\r\nb"_s << u""_s << false;
        QTest::newRow("not across text and caption") << u"ab"_s << u"a"_s << u"b"_s << false;
        QTest::newRow("beyond the shown 128") << u"needle"_s << QString(200, u'x') + u"needle"_s << u""_s << true;
        QTest::newRow("Cyrillic") << s(u"ПРИВЕТ") << s(u"скажи привет") << u""_s << true;
        QTest::newRow("Greek final sigma") << s(u"ΟΔΟΣ") << s(u"οδος") << u""_s << true;
        QTest::newRow("Deseret, outside the BMP") << s(u"\U00010400") << s(u"x\U00010428y") << u""_s << true;
        QTest::newRow("Japanese") << s(u"東京") << s(u"東京都") << u""_s << true;
        QTest::newRow("decomposed typed, composed stored") << s(u"e\u0301") << s(u"caf\u00e9") << u""_s << true;
        // clang-format on
    }
    void filter()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QTEST(TextFilter(pattern).matches(TextEntry{text, 0, caption, 0}), "matches");
    }

    void typingFiltersAndEscBringsAllBack()
    {
        Rig rig(kTexts);
        rig.selectShown({4});
        QVERIFY(!rig.search()->isVisible());
        QTest::keyClicks(rig.list(), QStringLiteral("pi"));
        QVERIFY(rig.search()->isVisible() && rig.search()->hasFocus());
        QCOMPARE(rig.search()->text(), QStringLiteral("pi"));
        // The caption counts; the hidden "date" lost its selection to the first match.
        QCOMPARE(rig.shown(), lines(u"apple pie|@ Pie recipe"));
        QCOMPARE(rig.counter(), QStringLiteral("2/5"));
        QCOMPARE(rig.selectedTexts(), lines(u"apple pie"));

        QTest::keyClicks(rig.search(), QStringLiteral("e r"));
        QCOMPARE(rig.shown(), lines(u"@ Pie recipe"));
        QCOMPARE(rig.selectedTexts(), lines(u"cherry"));
        QTest::keyClick(rig.search(), Qt::Key_Escape);
        QVERIFY(!rig.search()->isVisible());
        QVERIFY(rig.list()->hasFocus());
        QCOMPARE(rig.shown().size(), 5);
        QCOMPARE(rig.counter(), QStringLiteral("5"));
        QCOMPARE(rig.selectedTexts(), lines(u"cherry"));
    }

    void nothingFoundGivesBackTheSelection()
    {
        Rig rig(kTexts);
        rig.selectShown({1});
        QTest::keyClick(rig.window.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(rig.search()->isVisible() && rig.search()->text().isEmpty());
        QCOMPARE(rig.counter(), QStringLiteral("5"));
        QTest::keyClicks(rig.search(), QStringLiteral("zzz"));
        QCOMPARE(rig.counter(), QStringLiteral("0/5"));
        QVERIFY(rig.selectedTexts().isEmpty());
        QTest::keyClick(rig.list(), Qt::Key_Escape); // from the list as well
        QCOMPARE(rig.selectedTexts(), lines(u"Banana\r\nbread"));
    }

    // Up, Down and Clear would move or clear rows that cannot be seen.
    void buttonsWhileFiltered()
    {
        Rig rig(kTexts);
        const auto enabled = [&rig] {
            QString states;
            for (const char *name : {"btnUp", "btnDown", "btnClear", "btnDelete", "btnEdit"})
                states += rig.child<QAbstractButton>(name)->isEnabled() ? u'1' : u'0';
            return states;
        };
        rig.selectShown({0});
        QCOMPARE(enabled(), QStringLiteral("11111"));
        QTest::keyClicks(rig.list(), QStringLiteral("apple"));
        QCOMPARE(enabled(), QStringLiteral("00011"));
        rig.window->closeSearch();
        QCOMPARE(enabled(), QStringLiteral("11111"));
    }

    // Every command acts on the shown rows that are selected, never on hidden ones.
    void commandsActOnShownSelectedRows()
    {
        Rig rig(kTexts);
        rig.settings.setValue(Setting::MsgDelete, QStringLiteral("1"));
        rig.selectShown({0, 1, 3, 4}); // "date" and "Banana" will be hidden
        QTest::keyClicks(rig.list(), QStringLiteral("APP"));
        QCOMPARE(rig.shown(), lines(u"apple pie|APPLE juice"));
        rig.list()->setFocus();
        QTest::keyClick(rig.list(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(rig.selectedTexts(), lines(u"apple pie|APPLE juice"));

        QTest::keyClick(rig.list(), Qt::Key_Return); // as a click
        QCOMPARE(rig.clipboard.content, QStringLiteral("apple pie\r\nAPPLE juice"));
        rig.child<QAbstractButton>("btnProtect")->click();
        QList<TextEntry> all = rig.controller().model().entriesInRowOrder();
        QCOMPARE(all.at(0).protectFlag, 1);
        QCOMPARE(all.at(1).protectFlag, 1); // hidden, untouched
        QCOMPARE(all.at(3).protectFlag, 1);
        QCOMPARE(all.at(4).protectFlag, 0);
        rig.child<QAbstractButton>("btnProtect")->click();

        rig.prompter.editTextAnswers.push_back(QStringLiteral("unused"));
        rig.child<QAbstractButton>("btnEdit")->click(); // two selected: warned
        QCOMPARE(rig.prompter.messages.last().text, QStringLiteral("select One text in the list."));
        rig.prompter.editTextAnswers.clear();

        rig.prompter.messageAnswers.push_back(Prompter::Answer::Ok);
        QTest::keyClick(rig.list(), Qt::Key_Delete);
        QCOMPARE(rig.prompter.messages.last().title, QStringLiteral("Confirm"));
        QCOMPARE(rig.counter(), QStringLiteral("0/3"));
        rig.window->closeSearch();
        QCOMPARE(rig.shown(), lines(u"# Banana[cr]bread|@ Pie recipe|date"));
        QVERIFY(rig.prompter.unexpected.isEmpty());
    }

    void captureGoesOnWhileFiltered()
    {
        Rig rig(kTexts);
        QTest::keyClicks(rig.list(), QStringLiteral("apple"));
        rig.copied(QStringLiteral("green APPLES"));
        QCOMPARE(rig.shown(), lines(u"apple pie|APPLE juice|green APPLES"));
        QCOMPARE(rig.counter(), QStringLiteral("3/6"));
        QCOMPARE(rig.selectedTexts(), lines(u"green APPLES"));
        rig.copied(QStringLiteral("plum"));
        QCOMPARE(rig.shown().size(), 3);
        QCOMPARE(rig.counter(), QStringLiteral("3/7"));
        QVERIFY(rig.selectedTexts().isEmpty()); // selected, but not shown
        rig.window->closeSearch();
        QCOMPARE(rig.shown().size(), 7);
    }

    void keysOnTheList()
    {
        const QString longText = QString(150, u'x') + QStringLiteral("\r\nend");
        Rig rig({entry(QStringLiteral("one")), entry(longText), entry(QStringLiteral("three"))});
        rig.selectShown({1, 2});
        // Ctrl+C copies the texts themselves, not the shown lines, and the
        // monitor does not take the joined text back in.
        QTest::keyClick(rig.list(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(rig.clipboard.content, longText + QStringLiteral("\r\nthree"));
        rig.controller().monitor().capture();
        QCOMPARE(rig.controller().model().count(), 3);

        rig.selectShown({0});
        QTest::keyClick(rig.list(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(rig.clipboard.content, QStringLiteral("one"));

        // Delete asks first; Cancel keeps the text.
        rig.settings.setValue(Setting::MsgDelete, QStringLiteral("1"));
        rig.prompter.messageAnswers = {Prompter::Answer::Cancel, Prompter::Answer::Ok};
        QTest::keyClick(rig.list(), Qt::Key_Delete);
        QCOMPARE(rig.controller().model().count(), 3);
        QTest::keyClick(rig.list(), Qt::Key_Delete);
        QCOMPARE(rig.controller().model().count(), 2);
        QCOMPARE(rig.prompter.messages.size(), 2);
        // A blank is not a search.
        QTest::keyClick(rig.list(), Qt::Key_Space);
        QVERIFY(!rig.search()->isVisible());
    }

    void newTextIsScrolledIntoView()
    {
        QList<TextEntry> many;
        for (int i = 0; i < 300; ++i)
            many << entry(QStringLiteral("text %1").arg(i));
        Rig rig(many);
        rig.list()->scrollToTop();
        const auto inView = [&rig](int row) {
            const QRect r = rig.list()->visualRect(rig.list()->model()->index(row, 0));
            return rig.list()->viewport()->rect().contains(r);
        };
        rig.copied(QStringLiteral("new one"));
        QVERIFY(inView(300));
        rig.list()->scrollToTop();
        rig.copied(QStringLiteral("text 250")); // already there: selected again
        QVERIFY(inView(250));
    }

    void menuFromTheKeyboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("onLabel"); // the label has the focus, else the list
        QTest::newRow("Alt+M") << int(Qt::Key_M) << int(Qt::AltModifier) << false;
        QTest::newRow("Menu key") << int(Qt::Key_Menu) << 0 << false;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << false;
        QTest::newRow("Enter on the label") << int(Qt::Key_Return) << 0 << true;
        QTest::newRow("Space on the label") << int(Qt::Key_Space) << 0 << true;
    }
    void menuFromTheKeyboard()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, onLabel);
        Rig rig(kTexts);
        auto *label = rig.child<QLabel>("lblMenu");
        // Reached by Tab from the check boxes.
        rig.child<QWidget>("chkAutoGet")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), label);
        if (!onLabel)
            rig.list()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));
        QMenu *menu = rig.window->popupMenu();
        QTRY_VERIFY(menu->isVisible());
        // Under the label.
        QCOMPARE(menu->pos(), label->mapToGlobal(QPoint(0, label->height())));
        menu->close();
    }

    // Under a dark theme the words must take the theme's colours.
    void coloursFollowThePalette()
    {
        Rig rig(kTexts);
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
        dark.setColor(QPalette::Link, QColor(0x80, 0xb0, 0xff));
        rig.window->setPalette(dark);
        const auto textColour = [](const QLabel *label) {
            return label->palette().color(label->foregroundRole());
        };
        auto *menu = rig.child<QLabel>("lblMenu");
        auto *counter = rig.child<QLabel>("lblListCounter");
        QCOMPARE(textColour(menu), QColor(0x80, 0xb0, 0xff));
        QCOMPARE(textColour(counter), QColor(0xee, 0xee, 0xee));
        for (int i = 0; i < 1000; ++i)
            rig.controller().model().appendEntry(entry(QString::number(i)));
        rig.copied(QStringLiteral("one more")); // the counter is refreshed
        QCOMPARE(textColour(counter), QColor(Qt::red));
    }

    void copyDialogFiltersEachSide()
    {
        QTemporaryDir dir;
        const AppPaths paths = AppPaths::forUserFolder(dir.path());
        QDir().mkpath(paths.dataFolder);
        QDir().mkpath(paths.tempFolder);
        QVERIFY(writeFileAtomically(paths.registryFile(),
                                    "[Management]\nMaxGroupNo=2\n[GroupNo]\nGroup0=0\nGroup1=2\n"
                                    "[GroupNoName]\nGroup0=\nGroup2=A\n"));
        QVERIFY(saveGroupFile(paths.groupFile(0), kTexts));
        FakePrompter prompter;
        GroupCopyDialog dialog(paths, 2, prompter);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto *left = dialog.findChild<QListWidget *>(QStringLiteral("lstText_0"));
        auto *search = dialog.findChild<QLineEdit *>(QStringLiteral("txtSearch_0"));
        auto *counter = dialog.findChild<QLabel *>(QStringLiteral("lblListCounter_0"));
        left->setFocus();
        left->selectAll();
        QTest::keyClicks(left, QStringLiteral("pie"));
        QVERIFY(search->isVisible());
        QCOMPARE(counter->text(), QStringLiteral("2/5"));
        // Only the shown selected rows are copied.
        dialog.findChild<QPushButton *>(QStringLiteral("btnCopyMove_0"))->click();
        QCOMPARE(dialog.findChild<QListWidget *>(QStringLiteral("lstText_1"))->count(), 2);
        QTest::keyClick(search, Qt::Key_Escape);
        QVERIFY(!search->isVisible());
        QCOMPARE(counter->text(), QStringLiteral("5"));
        dialog.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        const QList<TextEntry> copied = loadGroupFile(paths.groupFile(2)).entries;
        QCOMPARE(copied, (QList<TextEntry>{kTexts.at(0), kTexts.at(2)}));
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
