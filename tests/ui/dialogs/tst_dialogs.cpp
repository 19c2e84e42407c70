#include "fakes/fakeprompter.h"
#include "support/files.h"
#include "support/widgets.h"
#include "ui/dialogs/edittextdialog.h"
#include "ui/dialogs/nameddialog.h"
#include "ui/dialogs/setupdialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestDialogs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    const Settings m_settings{m_dir.filePath(u"x.ini"_s)};

    static void showActive(QWidget *w)
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
    QByteArray settingsFile() const { return readBytes(m_settings.path()); }
    // A data row of text cells; nullptr stands for a cancelled dialog.
    static void addRow(const char *name, std::initializer_list<const char *> cells)
    {
        QTestData &row = QTest::newRow(name);
        for (const char *cell : cells)
            row << (cell ? QString::fromUtf8(cell) : u"<cancelled>"_s);
    }

private slots:
    // Every test starts without a settings file.
    void cleanup()
    {
        QFile::remove(m_settings.path());
        QDir(m_settings.path()).removeRecursively();
    }

    void editText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed"); // at the end, "\r" as Enter
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        // Enter makes a new line and closes nothing; the box shows LF, the text keeps CR LF.
        addRow("changed", {"one\r\ntwo", "\r3", "btnOK", "one\r\ntwo\r\n3"});
        // A lone CR cannot be shown as it is; untouched it must come back as it was.
        addRow("lone CR untouched", {"a\rb\r\nc", "", "btnOK", "a\rb\r\nc"});
        addRow("no-break space", {"a\u00a0b", "!", "btnOK", "a\u00a0b!"});
        addRow("blanks are added to", {"   ", "x", "btnOK", "   x"});
        addRow("Cancel", {"one\r\ntwo", "3", "btnCancel", nullptr});
        addRow("Esc", {"one\r\ntwo", "3", "Esc", nullptr});
        addRow("close box", {"one\r\ntwo", "3", "close", nullptr});
    }
    void editText()
    {
        QFETCH(QString, text);
        QFETCH(QString, typed);
        QFETCH(QString, how);
        EditTextDialog dialog(nullptr, m_settings, text, QFont(u"DejaVu Sans Mono"_s, 11), false);
        showActive(&dialog);
        auto *edit = child<QPlainTextEdit>(&dialog, "txtEdit");
        QVERIFY(!edit->toPlainText().contains(u'\r'));
        // The whole text is selected, so typing replaces it.
        QCOMPARE(edit->textCursor().selectedText().size(), edit->toPlainText().size());
        edit->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit, typed);
        leave(&dialog, how);
        QTEST(dialog.result().value_or(u"<cancelled>"_s), "expected");
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
        NamedDialog dialog(nullptr, u"text"_s, stored, false);
        showActive(&dialog);
        auto *line = child<QLineEdit>(&dialog, "txtNamed");
        QTest::keyClick(line, Qt::Key_Delete);
        QTest::keyClicks(line, typed);
        QTest::keyClick(line, Qt::Key_Return); // no default button to press
        leave(&dialog, how);
        QTEST(dialog.result().value_or(u"<cancelled>"_s), "expected");
    }

    void setup()
    {
        // The boxes go by the number: "1.0" ticks as "1" does, "1.5" and "" do not.
        const std::pair<SettingKey, const char16_t *> stored[] = {
            {Setting::MsgDelete, u"1.0"},           {Setting::MsgClear, u"1.5"},
            {Setting::MsgDelTasktrayMenuList, u""}, {Setting::InTaskTray, u"1"},
            {Setting::StartupState, u"0"},          {Setting::StartupGroup, u"2.5"}};
        for (const auto &[key, value] : stored)
            m_settings.setValue(key, value);
        const QByteArray before = settingsFile();
        FakePrompter prompter;
        SetupDialog cancelled(nullptr, m_settings, prompter, false);
        child(&cancelled, "chkStartupState")->click();
        child(&cancelled, "btnCancel")->click();
        QCOMPARE(settingsFile(), before);
        QTimer::singleShot(0, this, [] {
            child(QApplication::activeModalWidget(), "chkStartupState")->click();
            child(QApplication::activeModalWidget(), "btnOK")->click();
        });
        QVERIFY(SetupDialog::run(nullptr, m_settings, prompter, true));
        QCOMPARE(settingsFile(),
                 "[Setup]\r\nMsg_Delete=1\r\nMsg_Clear=0\r\nMsg_DelTasktrayMenuList=0\r\n"
                 "In_TaskTray=1\r\nStartupState=1\r\nStartupGroup=2\r\n");

        // A write that fails is told, naming the file; the dialog stays for Cancel.
        QVERIFY(QFile::remove(m_settings.path()) && QDir().mkpath(m_settings.path() + u"/x"));
        SetupDialog failing(nullptr, m_settings, prompter, false);
        showActive(&failing);
        child(&failing, "btnOK")->click();
        QCOMPARE(prompter.messages.size(), 1);
        QVERIFY(prompter.messages[0].text.contains(QDir::toNativeSeparators(m_settings.path())));
        leave(&failing, u"btnCancel"_s);
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
        QTest::newRow("two combinations, OK at once") << QString() << "Ctrl+Alt+V" << "Ctrl+Alt+J, Ctrl+K" << "Ctrl+Alt+J";
        // clang-format on
    }
    void setupHotKey()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        if (!stored.isNull())
            m_settings.setValue(Setting::HotKey, stored);
        FakePrompter prompter;
        SetupDialog dialog(nullptr, m_settings, prompter, false);
        showActive(&dialog);
        auto *edit = child<QKeySequenceEdit>(&dialog, "txtHotKey");
        QTEST(edit->keySequence().toString(QKeySequence::PortableText), "shown");
        const QKeySequence keys(typed == u"clear" ? QString() : typed);
        for (int i = 0; i < keys.count(); ++i)
            QTest::keyClick(edit, keys[i].key(), keys[i].keyboardModifiers());
        if (typed == u"clear")
            edit->clear();
        child(&dialog, "btnOK")->click();
        QCOMPARE(m_settings.contains(Setting::HotKey), !stored.isNull() || !written.isNull());
        QCOMPARE(m_settings.value(Setting::HotKey), written.isNull() ? stored : written);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
