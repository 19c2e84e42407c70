#include "windowrig.h"

#include "ui/dialogs/textfilter.h"

namespace {

const QList<TextEntry> kTexts{entry(u"apple pie"_s), entry(u"Banana\r\nbread"_s, 1),
                              entry(u"cherry"_s, 0, u"Pie recipe"_s), entry(u"APPLE juice"_s),
                              entry(u"date"_s)};

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
        // clang-format off
        QTest::newRow("neither") << u"pear"_s << u"apple"_s << u"fruit"_s << false;
        QTest::newRow("not the [cr] mark") << u"[cr]"_s << u"a\r\nb"_s << u""_s << false;
        QTest::newRow("not across text and caption") << u"ab"_s << u"a"_s << u"b"_s << false;
        QTest::newRow("beyond the shown 128") << u"needle"_s << QString(200, u'x') + u"needle"_s << u""_s << true;
        QTest::newRow("Cyrillic caption") << u"ПРИВЕТ"_s << u"x"_s << u"скажи привет"_s << true;
        QTest::newRow("Greek final sigma") << u"ΟΔΟΣ"_s << u"οδος"_s << u""_s << true;
        QTest::newRow("Deseret, outside the BMP") << u"\U00010400"_s << u"x\U00010428y"_s << u""_s << true;
        QTest::newRow("decomposed typed, composed stored") << u"e\u0301"_s << u"caf\u00e9"_s << u""_s << true;
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
        WindowRig rig;
        rig.show(kTexts);
        rig.selectShown({4});
        QTest::keyClicks(rig.list(), u"pi"_s);
        QVERIFY(rig.search()->isVisible() && rig.search()->hasFocus());
        // The caption counts; the hidden "date" lost its selection to the first match.
        QCOMPARE(rig.shown(), u"apple pie|@ Pie recipe"_s);
        QCOMPARE(rig.counter(), u"2/5"_s);
        QCOMPARE(rig.selectedTexts(), u"apple pie"_s);
        QTest::keyClicks(rig.search(), u"e r"_s);
        QCOMPARE(rig.selectedTexts(), u"cherry"_s);
        QTest::keyClick(rig.search(), Qt::Key_Escape);
        QVERIFY(!rig.search()->isVisible() && rig.list()->hasFocus());
        QCOMPARE(rig.counter(), u"5"_s);
        QCOMPARE(rig.selectedTexts(), u"cherry"_s);

        // Nothing found takes the selection away; Esc gives it back.
        rig.selectShown({1});
        QTest::keyClick(rig.window.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(rig.search()->isVisible() && rig.search()->text().isEmpty());
        QTest::keyClicks(rig.search(), u"zzz"_s);
        QCOMPARE(rig.counter(), u"0/5"_s);
        QCOMPARE(rig.selectedTexts(), QString());
        QTest::keyClick(rig.list(), Qt::Key_Escape); // from the list as well
        QCOMPARE(rig.selectedTexts(), u"Banana\r\nbread"_s);
    }

    // Every command acts on the shown rows that are selected, never on hidden ones;
    // Up, Down and Clear would move or clear rows that cannot be seen.
    void commandsActOnShownSelectedRows()
    {
        WindowRig rig;
        rig.show(kTexts);
        const auto enabled = [&rig] {
            QString states;
            for (const char *name : {"btnUp", "btnDown", "btnClear", "btnDelete", "btnEdit"})
                states += rig.child<QAbstractButton>(name)->isEnabled() ? u'1' : u'0';
            return states;
        };
        rig.settings.setValue(Setting::MsgDelete, u"1");
        rig.selectShown({0, 1, 3, 4}); // "date" and "Banana" will be hidden
        QCOMPARE(enabled(), u"11111"_s);
        QTest::keyClicks(rig.list(), u"APP"_s);
        QCOMPARE(enabled(), u"00011"_s);
        QCOMPARE(rig.shown(), u"apple pie|APPLE juice"_s);
        rig.list()->setFocus();
        QTest::keyClick(rig.list(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(rig.selectedTexts(), u"apple pie|APPLE juice"_s);

        QTest::keyClick(rig.list(), Qt::Key_Return); // as a click
        QCOMPARE(rig.clipboard.content, u"apple pie\r\nAPPLE juice"_s);
        rig.child<QAbstractButton>("btnProtect")->click();
        QCOMPARE(rig.shown(),
                 u"# apple pie|# APPLE juice"_s); // the hidden ones are checked at the end
        rig.child<QAbstractButton>("btnProtect")->click();

        rig.prompter.messageAnswers.push_back(Prompter::Answer::Ok);
        QTest::keyClick(rig.list(), Qt::Key_Delete);
        QCOMPARE(rig.counter(), u"0/3"_s);
        rig.window->closeSearch();
        QCOMPARE(enabled(), u"11111"_s);
        QCOMPARE(rig.shown(), u"# Banana[cr]bread|@ Pie recipe|date"_s);
    }

    // Capture goes on while filtering; a new text, or one copied again, is scrolled into view.
    void captureGoesOnWhileFiltered()
    {
        QList<TextEntry> texts = kTexts;
        for (int i = 0; i < 300; ++i)
            texts << entry(u"filler %1"_s.arg(i));
        WindowRig rig;
        rig.show(texts);
        QTest::keyClicks(rig.list(), u"apple"_s);
        rig.copied(u"green APPLES"_s);
        QCOMPARE(rig.shown(), u"apple pie|APPLE juice|green APPLES"_s);
        QCOMPARE(rig.counter(), u"3/306"_s);
        QCOMPARE(rig.selectedTexts(), u"green APPLES"_s);
        rig.copied(u"plum"_s);
        QCOMPARE(rig.counter(), u"3/307"_s);
        QCOMPARE(rig.selectedTexts(), QString()); // selected, but not shown
        rig.window->closeSearch();
        QListView *list = rig.list();
        for (const int row : {307, 255}) {
            list->scrollToTop();
            rig.copied(row == 307 ? u"new one"_s : u"filler 250"_s);
            QVERIFY(
                list->viewport()->rect().contains(list->visualRect(list->model()->index(row, 0))));
        }
    }

    void keysOnTheList()
    {
        const QString longText = QString(150, u'x') + u"\r\nend"_s;
        WindowRig rig;
        rig.show({entry(u"one"_s), entry(longText), entry(u"three"_s)});
        rig.selectShown({1, 2});
        // Ctrl+C copies the texts themselves, not the shown lines, and the
        // monitor does not take the joined text back in.
        QTest::keyClick(rig.list(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(rig.clipboard.content, longText + u"\r\nthree"_s);
        rig.controller().monitor().capture();
        QCOMPARE(rig.controller().model().count(), 3);

        rig.selectShown({0});
        QTest::keyClick(rig.list(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(rig.clipboard.content, u"one"_s);

        QTest::keyClick(rig.list(), Qt::Key_Space); // a blank is not a search
        QVERIFY(!rig.search()->isVisible());
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
    }
    void menuFromTheKeyboard()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, onLabel);
        WindowRig rig;
        rig.show(kTexts);
        auto *label = rig.child<QLabel>("lblMenu");
        // Reached by Tab from the check boxes.
        rig.child("chkAutoGet")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), label);
        if (!onLabel)
            rig.list()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));
        QMenu *menu = rig.window->popupMenu();
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), label->mapToGlobal(QPoint(0, label->height()))); // under the label
        menu->close();
    }

    // Under a dark theme the words must take the theme's colours.
    void coloursFollowThePalette()
    {
        WindowRig rig;
        rig.show(kTexts);
        QPalette dark;
        dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
        dark.setColor(QPalette::Link, QColor(0x80, 0xb0, 0xff));
        rig.window->setPalette(dark);
        const auto colour = [&rig](const char *name) {
            const auto *label = rig.child<QLabel>(name);
            return label->palette().color(label->foregroundRole());
        };
        QCOMPARE(colour("lblMenu"), QColor(0x80, 0xb0, 0xff));
        QCOMPARE(colour("lblListCounter"), QColor(0xee, 0xee, 0xee));
        for (int i = 0; i < 1000; ++i)
            rig.controller().model().appendEntry(entry(QString::number(i)));
        rig.copied(u"one more"_s); // the counter is refreshed
        QCOMPARE(colour("lblListCounter"), QColor(Qt::red));
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
