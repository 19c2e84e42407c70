#include "capture/clipboardhistory.h"
#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "settings/settingskeys.h"
#include "ui/main/traymenu.h"

#include <QTemporaryDir>
#include <QTest>

class TestTrayMenu : public QObject
{
    Q_OBJECT

private slots:
    void shownText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString x = QStringLiteral("x");
        const QString wide = QStringLiteral("\u3042");                // HIRAGANA A
        const QString widePair = QString::fromUcs4(U"\U00020B9F", 1); // a surrogate pair
        const QString dots = QStringLiteral("...");
        // clang-format off
        QTest::newRow("40 shown whole") << x.repeated(40) << x.repeated(40);
        QTest::newRow("41 cut") << x.repeated(41) << x.repeated(40) + dots;
        QTest::newRow("wide cut after 20") << wide.repeated(25) << wide.repeated(20) + dots;
        QTest::newRow("shifted: 21") << x + wide.repeated(25) << x + wide.repeated(20) + dots;
        QTest::newRow("pair kept whole") << x + widePair.repeated(25) << x + widePair.repeated(20) + dots;
        QTest::newRow("CR LF") << QStringLiteral("a\r\nb\rc\nd") << QStringLiteral("a[cr]b\rc\nd");
        QTest::newRow("marker cut") << x.repeated(38) + QStringLiteral("\r\ny") << x.repeated(38) + QStringLiteral("[c") + dots;
        // clang-format on
    }
    void shownText()
    {
        QFETCH(QString, text);
        QTEST(TrayMenu::shownText(text), "shown");
    }

    void items_data()
    {
        QTest::addColumn<QStringList>("copied");
        QTest::addColumn<QStringList>("captions");
        QStringList twelve;
        QStringList lastTen;
        for (int i = 1; i <= 12; ++i)
            twelve.append(QStringLiteral("t%1").arg(i));
        for (int k = 0; k < 10; ++k)
            lastTen.append(QStringLiteral("&%1> t%2").arg(k + 1).arg(k + 3));
        // clang-format off
        QTest::newRow("empty") << QStringList() << QStringList();
        QTest::newRow("oldest first, distinct") << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a")} << QStringList{QStringLiteral("&1> b"), QStringLiteral("&2> a")};
        QTest::newRow("ten of twelve") << twelve << lastTen;
        QTest::newRow("ampersand doubled") << QStringList{QStringLiteral("Tom & Jerry")} << QStringList{QStringLiteral("&1> Tom && Jerry")};
        // clang-format on
    }
    void items()
    {
        QFETCH(QStringList, copied);
        ClipboardHistory history;
        for (const QString &text : copied)
            history.add(text);
        QStringList captions;
        for (const TrayMenu::TextItem &item : TrayMenu::textItems(history))
            captions.append(item.caption);
        QTEST(captions, "captions");
    }

    void chosenItemGoesBackWhole()
    {
        ClipboardHistory history;
        history.add(QStringLiteral("a\r\nb"));
        history.add(QStringLiteral("c"));
        const QList<TrayMenu::TextItem> items = TrayMenu::textItems(history);
        QCOMPARE(items.at(0).caption, QStringLiteral("&1> a[cr]b"));
        FakeClipboard clipboard;
        clipboard.put(QStringLiteral("before"));
        QVERIFY(!TrayMenu::chooseItem(clipboard, items, 2));
        QCOMPARE(clipboard.content, QStringLiteral("before"));
        history.add(QStringLiteral("d")); // the menu keeps what it showed
        QVERIFY(TrayMenu::chooseItem(clipboard, items, 0));
        QCOMPARE(clipboard.content, QStringLiteral("a\r\nb"));
    }

    void clearListAsksOnlyForExactlyOne()
    {
        QTemporaryDir dir;
        const Settings settings(dir.filePath(QStringLiteral("test.ini")));
        const struct
        {
            QStringView setting;
            Prompter::Answer answer;
            bool cleared;
        } cases[] = {{u"1.0", Prompter::Answer::Cancel, true},
                     {u"1", Prompter::Answer::Ok, true},
                     {u"1", Prompter::Answer::Cancel, false}};
        for (const auto &c : cases) {
            settings.setValue(Setting::MsgDelTasktrayMenuList, c.setting);
            FakePrompter prompter;
            prompter.messageAnswers = {c.answer};
            ClipboardHistory history;
            history.add(QStringLiteral("a"));
            QCOMPARE(TrayMenu::clearList(settings, prompter, history), c.cleared);
            QCOMPARE(TrayMenu::textItems(history).isEmpty(), c.cleared);
            QStringList asked;
            for (const FakePrompter::Message &m : prompter.messages)
                asked.append(m.title + u'/' + m.text);
            QCOMPARE(asked, c.setting == u"1"
                                ? QStringList{QStringLiteral("Confirm/clear the list below.")}
                                : QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(TestTrayMenu)
#include "tst_traymenu.moc"
