#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "ui/dialogs/aboutdialog.h"
#include "ui/dialogs/edittextdialog.h"
#include "ui/dialogs/hotkeysetting.h"
#include "ui/dialogs/nameddialog.h"
#include "ui/dialogs/setupdialog.h"
#include "ui/dialogs/storedgeometry.h"

#include <QtTest>
#include <QtWidgets>

const QString kCancelled = QStringLiteral("<cancelled>");

class TestDialogs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    const Settings m_settings{m_dir.filePath(QStringLiteral("x.ini"))};
    const QFont m_font{QStringLiteral("DejaVu Sans Mono"), 11};

    template<typename T> static T *child(QWidget *parent, const char *name)
    {
        T *found = parent->findChild<T *>(QLatin1String(name));
        return found ? found : (qFatal("no %s", name), nullptr);
    }
    static void click(QWidget *w, const char *name) { child<QAbstractButton>(w, name)->click(); }
    static void showActive(QWidget *w)
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    // Leaves a dialog that is still open by a button's name, "Esc" or "close" (the close box).
    static void leave(QWidget *dialog, const QString &how)
    {
        QVERIFY(dialog->isVisible());
        if (how == QLatin1String("Esc"))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else if (how == QLatin1String("close"))
            dialog->close();
        else
            click(dialog, qPrintable(how));
        QVERIFY(!dialog->isVisible());
    }
    // A data row of text cells; nullptr stands for a cancelled dialog.
    static void addRow(const char *name, std::initializer_list<const char *> cells)
    {
        QTestData &row = QTest::newRow(name);
        for (const char *cell : cells)
            row << (cell ? QString::fromUtf8(cell) : kCancelled);
    }
    std::unique_ptr<EditTextDialog> openEdit(const QString &text)
    {
        auto dialog = std::make_unique<EditTextDialog>(nullptr, m_settings, text, m_font, false);
        showActive(dialog.get());
        return dialog;
    }

private slots:
    // Every test starts without a settings file.
    void cleanup() { QFile::remove(m_settings.path()); }

    void storedGeometry_data()
    {
        QTest::addColumn<QString>("stored"); // width|height|top|left in twips
        QTest::addColumn<QRect>("applied");  // to QRect(10, 20, 300, 200)
        const QRect unchanged(10, 20, 300, 200);
        QTest::newRow("no width") << QStringLiteral("|1500|1500|1500") << unchanged;
        QTest::newRow("zero width") << QStringLiteral("0|1500|1500|1500") << unchanged;
        QTest::newRow("negative width") << QStringLiteral("-3000|1500|1500|1500") << unchanged;
        QTest::newRow("0, blank") << QStringLiteral("6000|0|0|") << QRect(10, 20, 400, 200);
        QTest::newRow("lenient") << QStringLiteral("1500x|1508|x|-750") << QRect(-50, 20, 100, 101);
    }
    void storedGeometry()
    {
        QFETCH(QString, stored);
        QFETCH(QRect, applied);
        const QStringList v = stored.split(u'|');
        const StoredGeometry parsed = parseStoredGeometry(v[0], v[1], v[2], v[3]);
        const Screens::WideRect r = applyStoredGeometry({10, 20, 300, 200}, parsed);
        QCOMPARE(QRect(int(r.x), int(r.y), int(r.width), int(r.height)), applied);
    }

    // A value far beyond any int is kept whole, for the screens to bring back.
    void hugeStoredValues()
    {
        const StoredGeometry parsed = parseStoredGeometry(u"1e12", u"-1e300", u"1e12", u"-1e12");
        QCOMPARE(parsed.width, std::optional<qint64>(66666666667));
        QCOMPARE(parsed.height, std::nullopt);
        QCOMPARE(parsed.top, std::optional<qint64>(66666666667));
        QCOMPARE(parsed.left, std::optional<qint64>(-66666666667));
    }

    void editText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed"); // at the end, "\r" as Enter
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        // Enter makes a new line and closes nothing; the box shows LF, the text keeps CR LF.
        addRow("changed", {"one\r\ntwo", "\r3", "btnOK", "Edit", "one\r\ntwo\r\n3"});
        // A lone CR cannot be shown as it is; untouched it must come back as it was.
        addRow("lone CR untouched", {"a\rb\r\nc", "", "btnOK", "Edit", "a\rb\r\nc"});
        addRow("no-break space", {"a\u00a0b", "!", "btnOK", "Edit", "a\u00a0b!"});
        addRow("blanks are added", {"   ", "x", "btnOK", "Add", "   x"});
        addRow("Cancel", {"one\r\ntwo", "3", "btnCancel", "Edit", nullptr});
        addRow("Esc", {"one\r\ntwo", "3", "Esc", "Edit", nullptr});
        addRow("close box", {"one\r\ntwo", "3", "close", "Edit", nullptr});
    }
    void editText()
    {
        QFETCH(QString, text);
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QString, title);
        QFETCH(QString, expected);
        auto dialog = openEdit(text);
        auto *edit = child<QPlainTextEdit>(dialog.get(), "txtEdit");
        QCOMPARE(dialog->windowTitle(), title);
        QVERIFY(!edit->toPlainText().contains(u'\r'));
        // The whole text is selected, so typing replaces it.
        QCOMPARE(edit->textCursor().selectedText().size(), edit->toPlainText().size());
        edit->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit, typed);
        leave(dialog.get(), how);
        QCOMPARE(dialog->result().value_or(kCancelled), expected);
    }

    void editGeometry()
    {
        auto dialog = openEdit(QStringLiteral("x"));
        // The place is the frame's, the size the client area's, as move() and resize() take them.
        dialog->resize(400, 250);
        dialog->move(30, 45);
        leave(dialog.get(), QStringLiteral("close")); // kept after a cancel too
        QCOMPARE(contents(m_settings.path()),
                 "[WindowSize]\r\nEditText_Width=6000\r\nEditText_Height="
                 "3750\r\nEditText_Top=675\r\nEditText_Left=450\r\n");
        dialog = openEdit(QStringLiteral("x"));
        QCOMPARE(QRect(dialog->pos(), dialog->size()), QRect(30, 45, 400, 250));

        // Too wide for the screen and off its top-left corner: cut and moved in.
        m_settings.setValue(Setting::EditTextWidth, QStringLiteral("999999"));
        m_settings.setValue(Setting::EditTextTop, QStringLiteral("-600"));
        m_settings.setValue(Setting::EditTextLeft, QStringLiteral("-1500"));
        dialog = openEdit(QStringLiteral("x"));
        const QRect area = Screens::availableAreas().value(0);
        QCOMPARE(QRect(dialog->pos(), dialog->size()),
                 QRect(area.topLeft(), QSize(area.width(), 250)));

        // Never smaller than the buttons need; they stay in the lower right corner.
        QVERIFY(dialog->minimumWidth() >= 229 && dialog->minimumHeight() >= 164);
        dialog->resize(10, 10);
        QTRY_COMPARE(dialog->size(), dialog->minimumSize());
        QWidget *strip = child<QPushButton>(dialog.get(), "btnOK")->parentWidget();
        QTRY_COMPARE(strip->geometry().bottomRight(), dialog->rect().bottomRight());
    }

    void caption_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed"); // replaces the selected caption
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        addRow("OK as typed", {"old", "  new ", "btnOK", "  new "});
        addRow("OK empty", {"old", "", "btnOK", ""});
        addRow("Remove", {"old", "typed", "btnClear", ""});
        addRow("Cancel", {"old", "typed", "btnCancel", nullptr});
        const QByteArray c64(64, 'c'), c70(70, 'c'), c80(80, 'c');
        addRow("typing stops at 64", {"", c70.data(), "btnOK", c64.data()});
        // Opening the dialog must not cut a longer caption stored earlier.
        addRow("long stored caption", {c80.data(), c80.data(), "btnOK", c80.data()});
    }
    void caption()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QString, expected);
        NamedDialog dialog(nullptr, QStringLiteral("text"), stored, false);
        showActive(&dialog);
        auto *line = child<QLineEdit>(&dialog, "txtNamed");
        QTest::keyClick(line, Qt::Key_Delete);
        QTest::keyClicks(line, typed);
        QTest::keyClick(line, Qt::Key_Return); // no default button to press
        leave(&dialog, how);
        QCOMPARE(dialog.result().value_or(kCancelled), expected);
    }

    void captionShowsTextPlainAndFitted()
    {
        NamedDialog dialog(nullptr, QStringLiteral("<b>x</b>\r\n2\r\n3\r\n4"), QString(), false);
        QCOMPARE(child<QLabel>(&dialog, "lblText")->text(), QStringLiteral("<b>x</b>\n2\n3\u2026"));
        QCOMPARE(child<QLabel>(&dialog, "lblText")->textFormat(), Qt::PlainText);
        // A long word wraps anywhere, words at their ends; the third line ends cut.
        const QString text = QString(40, u'x') + QStringLiteral(" word").repeated(60);
        const QStringList lines = NamedDialog::fitText(text, dialog.font(), 150, 3).split(u'\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.last().endsWith(QChar(0x2026)));
        for (const QString &line : lines)
            QVERIFY(QFontMetrics(dialog.font()).horizontalAdvance(line.trimmed()) <= 150);
    }

    void setup()
    {
        // The boxes go by the number: "1.0" ticks as "1" does, "1.5" and "" do not.
        const std::pair<SettingKey, const char *> stored[] = {
            {Setting::MsgDelete, "1.0"},           {Setting::MsgClear, "1.5"},
            {Setting::MsgDelTasktrayMenuList, ""}, {Setting::InTaskTray, "1"},
            {Setting::StartupState, "0"},          {Setting::StartupGroup, "2.5"}};
        for (const auto &[key, value] : stored)
            m_settings.setValue(key, QString::fromLatin1(value));
        const QByteArray before = contents(m_settings.path());
        SetupDialog cancelled(nullptr, m_settings, false);
        click(&cancelled, "chkStartupState");
        click(&cancelled, "btnCancel");
        QCOMPARE(contents(m_settings.path()), before);
        QTimer::singleShot(0, this, [] {
            click(QApplication::activeModalWidget(), "chkStartupState");
            click(QApplication::activeModalWidget(), "btnOK");
        });
        QVERIFY(SetupDialog::run(nullptr, m_settings, true));
        QCOMPARE(contents(m_settings.path()),
                 "[Setup]\r\nMsg_Delete=1\r\nMsg_Clear=0\r\nMsg_DelTasktrayMenuList=0\r\n"
                 "In_TaskTray=1\r\nStartupState=1\r\nStartupGroup=2\r\n");
        // Any other group number starts with the default group.
        for (const auto &[value, option] : {std::pair(u"3", 1), std::pair(u"-1", 1)})
            QCOMPARE(SetupDialog::startupGroupOption(value), option);
    }

    // The stored global shortcut: absent means the default, blank means none, and
    // a value that names no key is told apart from none.
    void hotKeySetting_data()
    {
        QTest::addColumn<QString>("stored"); // null: no key in the file
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("key"); // portable form, "" for none
        QTest::newRow("absent") << QString() << true << "Ctrl+Alt+V";
        QTest::newRow("empty") << "" << true << "";
        QTest::newRow("blank") << "   " << true << "";
        QTest::newRow("trimmed") << " Ctrl+Shift+F12 " << true << "Ctrl+Shift+F12";
        QTest::newRow("any case") << "ctrl+alt+v" << true << "Ctrl+Alt+V";
        QTest::newRow("meta") << "Meta+Space" << true << "Meta+Space";
        QTest::newRow("unknown word") << "Ctrl+Bogus" << false << "";
        QTest::newRow("nonsense") << "+++" << false << "";
    }
    void hotKeySetting()
    {
        QFETCH(QString, stored);
        QFETCH(bool, readable);
        QFETCH(QString, key);
        if (!stored.isNull())
            m_settings.setValue(Setting::HotKey, stored);
        const HotKeySetting setting = HotKeySetting::read(m_settings);
        QCOMPARE(setting.readable, readable);
        QCOMPARE(setting.key.toString(QKeySequence::PortableText), key);
        QCOMPARE(setting.stored, stored.isNull() ? QStringLiteral("Ctrl+Alt+V") : stored);
        // What is written reads back as the same key.
        QVERIFY(HotKeySetting::write(m_settings, setting.key));
        QCOMPARE(HotKeySetting::read(m_settings).key, setting.key);
        QVERIFY(m_settings.contains(Setting::HotKey));
    }

    // The settings dialog's key field: OK writes the key only when it was changed,
    // so a file without it keeps following the default; a value that names no key
    // shows as none, and OK confirms that.
    void setupHotKey_data()
    {
        QTest::addColumn<QString>("stored"); // null: no key in the file
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");   // "clear": the clear button; "": nothing
        QTest::addColumn<QString>("written"); // null: the file keeps what it had
        // clang-format off
        QTest::newRow("default kept") << QString() << "Ctrl+Alt+V" << "" << QString();
        QTest::newRow("none kept") << "" << "" << "" << QString();
        QTest::newRow("unreadable confirmed as none") << "Ctrl+Bogus" << "" << "" << "";
        QTest::newRow("new key") << QString() << "Ctrl+Alt+V" << "Ctrl+Shift+K" << "Ctrl+Shift+K";
        QTest::newRow("cleared") << "Alt+F2" << "Alt+F2" << "clear" << "";
        QTest::newRow("unreadable replaced") << "Ctrl+Bogus" << "" << "Meta+V" << "Meta+V";
        // clang-format on
    }
    void setupHotKey()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        if (!stored.isNull())
            m_settings.setValue(Setting::HotKey, stored);
        SetupDialog dialog(nullptr, m_settings, false);
        showActive(&dialog);
        auto *edit = child<QKeySequenceEdit>(&dialog, "txtHotKey");
        QCOMPARE(edit->keySequence().toString(QKeySequence::PortableText), shown);
        if (typed == u"clear") {
            edit->clear();
        } else if (!typed.isEmpty()) {
            const QKeyCombination key = QKeySequence(typed)[0];
            QTest::keyClick(edit, key.key(), key.keyboardModifiers());
        }
        click(&dialog, "btnOK");
        if (written.isNull()) {
            QCOMPARE(m_settings.contains(Setting::HotKey), !stored.isNull());
            QCOMPARE(m_settings.value(Setting::HotKey), stored.isNull() ? QString() : stored);
        } else {
            QCOMPARE(m_settings.value(Setting::HotKey), written);
        }
    }

    // The field takes one combination: a second one pressed replaces nothing but
    // is dropped, and Cancel writes nothing.
    void setupHotKeyOneCombination()
    {
        SetupDialog dialog(nullptr, m_settings, false);
        showActive(&dialog);
        auto *edit = child<QKeySequenceEdit>(&dialog, "txtHotKey");
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(edit, Qt::Key_K, Qt::ControlModifier);
        QTRY_COMPARE(edit->keySequence(), QKeySequence(QStringLiteral("Ctrl+Alt+J")));
        click(&dialog, "btnCancel");
        QVERIFY(!m_settings.contains(Setting::HotKey));
    }

    void about()
    {
        FakeClipboard clipboard;
        FakePrompter prompter;
        QList<QUrl> opened;
        // The first attempt opens a browser, the next finds none.
        AboutDialog dialog(nullptr, clipboard, prompter, false,
                           [&](const QUrl &url) { return (opened << url).size() == 1; });
        showActive(&dialog);
        // The address is opened without the blanks around it; when no browser opens it is
        // copied, with a message.
        const QString address = QStringLiteral("https://example.org/a");
        auto *url = child<QLabel>(&dialog, "lblURL");
        url->setText(u"  " + address + u"  ");
        for (const QString &copied : {QString(), address}) {
            QTest::mouseClick(url, Qt::LeftButton);
            QCOMPARE(clipboard.content, copied);
        }
        QCOMPARE(opened, QList<QUrl>(2, QUrl(address)));
        QCOMPARE(prompter.messages.size(), 1);
        QCOMPARE(prompter.messages[0].title + u'|' + prompter.messages[0].text,
                 QStringLiteral("copied|copied URL into the clipboard, you may paste to the "
                                "address bar of your web browser."));
        // OK is the default button here: Enter closes the box.
        QTest::keyClick(&dialog, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
