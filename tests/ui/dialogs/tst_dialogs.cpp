#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "platform/appinfo.h"
#include "ui/dialogs/aboutdialog.h"
#include "ui/dialogs/edittextdialog.h"
#include "ui/dialogs/nameddialog.h"
#include "ui/dialogs/setupdialog.h"
#include "ui/dialogs/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {
const QString kCancelled = QStringLiteral("<cancelled>");
QString answer(const std::optional<QString> &result)
{
    return result.value_or(kCancelled);
}

template<typename T> T *child(QWidget *parent, const QString &name)
{
    T *found = parent->findChild<T *>(name);
    if (!found)
        qFatal("no %s", qPrintable(name));
    return found;
}
template<typename T> T *child(QWidget *parent, const char *name)
{
    return child<T>(parent, QString::fromLatin1(name));
}

void showActive(QWidget *dialog)
{
    dialog->show();
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
}

void click(QWidget *dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

// How a dialog is left: a button's name, "Esc" or "close" for the close box.
void leave(QWidget *dialog, QWidget *focused, const QString &how)
{
    if (how == QLatin1String("Esc"))
        QTest::keyClick(focused, Qt::Key_Escape);
    else if (how == QLatin1String("close"))
        dialog->close();
    else
        QTest::mouseClick(child<QPushButton>(dialog, how), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

const char *const kBoxes[] = {"chkAlarmDsp_Delete", "chkAlarmDsp_Claer",
                              "chkAlarmDsp_DelTasktrayMenuList", "chkInTaskTray",
                              "chkStartupState"};
const SettingKey kBoxKeys[] = {Setting::MsgDelete, Setting::MsgClear,
                               Setting::MsgDelTasktrayMenuList, Setting::InTaskTray,
                               Setting::StartupState};
} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Settings> m_settings;
    const QFont m_font{QStringLiteral("DejaVu Sans Mono"), 11};

    std::unique_ptr<EditTextDialog> openEdit(const QString &text)
    {
        auto dialog = std::make_unique<EditTextDialog>(nullptr, *m_settings, text, m_font, false);
        showActive(dialog.get());
        return dialog;
    }
    static QPlainTextEdit *box(QWidget *dialog) { return child<QPlainTextEdit>(dialog, "txtEdit"); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<Settings>(m_dir->filePath(QStringLiteral("x.ini")));
    }

    void editTitle_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("empty") << QString() << QStringLiteral("Add");
        QTest::newRow("blanks") << QStringLiteral("   ") << QStringLiteral("Add");
        QTest::newRow("tab") << QStringLiteral("\t") << QStringLiteral("Edit");
    }
    void editTitle()
    {
        QFETCH(QString, text);
        QFETCH(QString, title);
        QCOMPARE(EditTextDialog(nullptr, *m_settings, text, m_font, false).windowTitle(), title);
    }

    void editSelectsWholeTextAndNoButtonIsDefault()
    {
        auto dialog = openEdit(QStringLiteral("first\r\nsecond"));
        QCOMPARE(box(dialog.get())->font().family(), m_font.family());
        const QTextCursor cursor = box(dialog.get())->textCursor();
        QCOMPARE(cursor.selectionStart(), 0);
        QCOMPARE(cursor.selectionEnd(), 12);
        for (QPushButton *button : dialog->findChildren<QPushButton *>())
            QVERIFY(!button->isDefault() && !button->autoDefault());
        // Enter makes a new line in place of the selected text and closes nothing.
        QTest::keyClicks(box(dialog.get()), QStringLiteral("a"));
        QTest::keyClick(box(dialog.get()), Qt::Key_Return);
        QTest::keyClicks(box(dialog.get()), QStringLiteral("b "));
        click(dialog.get(), "btnOK");
        QCOMPARE(answer(dialog->result()), QStringLiteral("a\r\nb "));
    }

    void editText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("appended");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        const QString crlf = QStringLiteral("one\r\ntwo\r\n");
        QTest::newRow("unchanged") << crlf << QString() << "btnOK" << crlf;
        QTest::newRow("changed") << crlf << "3"
                                 << "btnOK" << crlf + u'3';
        // A lone CR cannot be shown as it is; untouched it must come back as it was.
        QTest::newRow("lone CR") << "a\rb\r\nc" << QString() << "btnOK"
                                 << "a\rb\r\nc";
        QTest::newRow("no-break space") << "a\u00a0b"
                                        << "!"
                                        << "btnOK"
                                        << "a\u00a0b!";
        QTest::newRow("Cancel") << crlf << "3"
                                << "btnCancel" << kCancelled;
        QTest::newRow("Esc") << crlf << "3"
                             << "Esc" << kCancelled;
        QTest::newRow("close box") << crlf << "3"
                                   << "close" << kCancelled;
    }
    void editText()
    {
        QFETCH(QString, text);
        QFETCH(QString, appended);
        QFETCH(QString, how);
        QFETCH(QString, expected);
        auto dialog = openEdit(text);
        QVERIFY(!box(dialog.get())->toPlainText().contains(u'\r'));
        box(dialog.get())->moveCursor(QTextCursor::End);
        QTest::keyClicks(box(dialog.get()), appended);
        leave(dialog.get(), box(dialog.get()), how);
        QCOMPARE(answer(dialog->result()), expected);
    }

    void editGeometryKeptAfterCancel()
    {
        auto dialog = openEdit(QStringLiteral("x"));
        // The place is the frame's, the size the client area's, as move() and resize() take them.
        dialog->resize(400, 250);
        dialog->move(30, 45);
        leave(dialog.get(), box(dialog.get()), QStringLiteral("close"));
        QCOMPARE(m_settings->value(Setting::EditTextWidth), QStringLiteral("6000"));
        QCOMPARE(m_settings->value(Setting::EditTextHeight), QStringLiteral("3750"));
        QCOMPARE(m_settings->value(Setting::EditTextTop), QStringLiteral("675"));
        QCOMPARE(m_settings->value(Setting::EditTextLeft), QStringLiteral("450"));
        dialog = openEdit(QStringLiteral("x"));
        QCOMPARE(QRect(dialog->pos(), dialog->size()), QRect(30, 45, 400, 250));

        // Too wide for the screen and off its top-left corner: cut and moved in.
        const QSize screen = primaryScreenSize();
        m_settings->setValue(Setting::EditTextWidth, Twips::fromPixels(screen.width() + 500));
        m_settings->setValue(Setting::EditTextTop, QStringLiteral("-600"));
        m_settings->setValue(Setting::EditTextLeft, QStringLiteral("-1500"));
        dialog = openEdit(QStringLiteral("x"));
        QCOMPARE(QRect(dialog->pos(), dialog->size()), QRect(0, 0, screen.width(), 250));
    }

    void editMinimumSizeKeepsButtonsInCorner()
    {
        auto dialog = openEdit(QStringLiteral("x"));
        QWidget *strip = child<QWidget>(dialog.get(), "picBottomR");
        QCOMPARE(child<QPushButton>(dialog.get(), "btnOK")->parentWidget(), strip);
        QVERIFY(dialog->minimumWidth() >= 229 && dialog->minimumHeight() >= 164);
        for (const QSize size : {QSize(10, 10), QSize(600, 400)}) {
            dialog->resize(size);
            QTRY_COMPARE(dialog->size(), size.expandedTo(dialog->minimumSize()));
            QTRY_COMPARE(strip->geometry().bottomRight(), dialog->rect().bottomRight());
            QVERIFY(box(dialog.get())->geometry().bottom() < strip->geometry().top());
        }
    }

    void editModal()
    {
        QTimer::singleShot(0, this, [] {
            QWidget *dialog = QApplication::activeModalWidget();
            QTest::keyClicks(box(dialog), QStringLiteral("typed"));
            click(dialog, "btnOK");
        });
        const auto typed = EditTextDialog::edit(nullptr, *m_settings, QString(), m_font, true);
        QCOMPARE(answer(typed), QStringLiteral("typed"));
    }

    void caption_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed"); // replaces the selected caption
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        QTest::newRow("OK as typed") << "old"
                                     << "  new "
                                     << "btnOK"
                                     << "  new ";
        QTest::newRow("OK empty") << "old"
                                  << ""
                                  << "btnOK"
                                  << "";
        QTest::newRow("Remove") << "old"
                                << "typed"
                                << "btnClear"
                                << "";
        QTest::newRow("Cancel") << "old"
                                << "typed"
                                << "btnCancel" << kCancelled;
        QTest::newRow("Esc") << "old"
                             << "typed"
                             << "Esc" << kCancelled;
        QTest::newRow("close box") << "old"
                                   << "typed"
                                   << "close" << kCancelled;
        QTest::newRow("typing stops at 64")
            << "" << QString(70, u'c') << "btnOK" << QString(64, u'c');
        // Opening the dialog must not cut a longer caption stored earlier.
        QTest::newRow("long stored caption")
            << QString(80, u's') << QString(80, u's') << "btnOK" << QString(80, u's');
    }
    void caption()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QString, expected);
        NamedDialog dialog(nullptr, QStringLiteral("text"), stored, false);
        showActive(&dialog);
        QLineEdit *line = child<QLineEdit>(&dialog, "txtNamed");
        QCOMPARE(line->selectedText(), stored);
        QTest::keyClick(line, Qt::Key_Delete);
        QTest::keyClicks(line, typed);
        QTest::keyClick(line, Qt::Key_Return); // no default button to press
        QVERIFY(dialog.isVisible());
        leave(&dialog, line, how);
        QCOMPARE(answer(dialog.result()), expected);
    }

    void captionShowsTextPlainAndFitted()
    {
        NamedDialog dialog(nullptr, QStringLiteral("<b>x</b>\r\n2\r\n3\r\n4"), QString(), false);
        QCOMPARE(child<QLabel>(&dialog, "lblText")->text(), QStringLiteral("<b>x</b>\n2\n3\u2026"));
        QCOMPARE(child<QLabel>(&dialog, "lblText")->textFormat(), Qt::PlainText);
        QCOMPARE(child<QLabel>(&dialog, "Label1")->text(), QStringLiteral("Caption:"));
        QCOMPARE(child<QLabel>(&dialog, "Label2")->text(), QStringLiteral("Text:"));
        const QFontMetrics metrics(dialog.font());
        const int width = metrics.horizontalAdvance(QString(20, u'x'));
        for (const QString &text : {QString(200, u'x'), QStringLiteral("word ").repeated(60)}) {
            const QStringList lines =
                NamedDialog::fitText(text, dialog.font(), width, 3).split(u'\n');
            QCOMPARE(lines.size(), 3);
            QVERIFY(lines.last().endsWith(QChar(0x2026)));
            for (const QString &line : lines)
                QVERIFY2(metrics.horizontalAdvance(line.trimmed()) <= width, qPrintable(line));
        }
    }

    void setupBoxesGoByNumber_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("ticked");
        for (const char *value : {"1", "1.0", "1abc"})
            QTest::newRow(value) << QString::fromLatin1(value) << true;
        for (const char *value : {"", "0", "1.5", "2"})
            QTest::newRow(value) << QString::fromLatin1(value) << false;
    }
    void setupBoxesGoByNumber()
    {
        QFETCH(QString, value);
        QFETCH(bool, ticked);
        for (std::size_t i = 0; i < std::size(kBoxKeys); ++i) {
            init();
            m_settings->setValue(kBoxKeys[i], value);
            SetupDialog dialog(nullptr, *m_settings, false);
            for (std::size_t j = 0; j < std::size(kBoxes); ++j)
                QCOMPARE(child<QCheckBox>(&dialog, kBoxes[j])->isChecked(), i == j && ticked);
        }
    }

    void setupStartupGroup_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("option");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("2.5 to even") << QStringLiteral("2.5") << 2;
        QTest::newRow("0.5 to even") << QStringLiteral("0.5") << 0;
        QTest::newRow("1.5 to even") << QStringLiteral("1.5") << 2;
        // The program starts with the default group for any other number.
        QTest::newRow("7") << QStringLiteral("7") << 1;
        QTest::newRow("-1") << QStringLiteral("-1") << 1;
    }
    void setupStartupGroup()
    {
        QFETCH(QString, value);
        QFETCH(int, option);
        m_settings->setValue(Setting::StartupGroup, value);
        SetupDialog dialog(nullptr, *m_settings, false);
        for (int i = 0; i < 3; ++i) {
            const QString name = QStringLiteral("optStartupGroup_%1").arg(i);
            QCOMPARE(child<QRadioButton>(&dialog, name)->isChecked(), i == option);
        }
        click(&dialog, "btnOK");
        QCOMPARE(m_settings->value(Setting::StartupGroup), QString::number(option));
    }

    void setupOkWritesPlainValuesInOrder()
    {
        m_settings->setValue(Setting::MsgClear, QStringLiteral("1.0"));
        QTimer::singleShot(0, this, [] {
            QWidget *dialog = QApplication::activeModalWidget();
            child<QCheckBox>(dialog, "chkStartupState")->click();
            child<QRadioButton>(dialog, "optStartupGroup_1")->click();
            click(dialog, "btnOK");
        });
        QVERIFY(SetupDialog::run(nullptr, *m_settings, true));
        QCOMPARE(contents(m_settings->path()),
                 "[Setup]\r\nMsg_Clear=1\r\nMsg_Delete=0\r\nMsg_DelTasktrayMenuList=0\r\n"
                 "In_TaskTray=0\r\nStartupState=1\r\nStartupGroup=1\r\n");
    }

    void setupCancelWritesNothing_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how : {"btnCancel", "Esc", "close"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void setupCancelWritesNothing()
    {
        QFETCH(QString, how);
        m_settings->setValue(Setting::MsgDelete, QStringLiteral("1.0"));
        m_settings->setValue(Setting::StartupGroup, QStringLiteral("2.5"));
        const QByteArray before = contents(m_settings->path());
        SetupDialog dialog(nullptr, *m_settings, false);
        showActive(&dialog);
        for (const char *name : kBoxes)
            child<QCheckBox>(&dialog, name)->click();
        child<QRadioButton>(&dialog, "optStartupGroup_0")->click();
        leave(&dialog, &dialog, how);
        QCOMPARE(contents(m_settings->path()), before);
    }

    void setupTabOrder()
    {
        m_settings->setValue(Setting::StartupGroup, QStringLiteral("1"));
        SetupDialog dialog(nullptr, *m_settings, false);
        for (const char *frame : {"Frame1", "Frame2", "Frame3", "Frame4"})
            QVERIFY(child<QGroupBox>(&dialog, frame));
        showActive(&dialog);
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget()->objectName());
        }
        // The options are entered at the selected one.
        QCOMPARE(visited.join(u' '),
                 QStringLiteral("btnOK btnCancel chkAlarmDsp_Delete chkAlarmDsp_Claer "
                                "chkInTaskTray chkAlarmDsp_DelTasktrayMenuList chkStartupState "
                                "optStartupGroup_1 btnOK"));
    }

    void about_data()
    {
        QTest::addColumn<bool>("opens");
        QTest::newRow("browser opens") << true;
        QTest::newRow("no browser") << false;
    }
    void about()
    {
        QFETCH(bool, opens);
        FakeClipboard clipboard;
        clipboard.put(QStringLiteral("before"));
        FakePrompter prompter;
        QList<QUrl> opened;
        AboutDialog dialog(nullptr, clipboard, prompter, false, [&](const QUrl &url) {
            opened.append(url);
            return opens;
        });
        showActive(&dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About Pastebasket"));
        QCOMPARE(child<QLabel>(&dialog, "lblVersion")->text(), QStringLiteral("ver.1.1.0"));
        QCOMPARE(child<QLabel>(&dialog, "lblAppName")->font().pointSize(), 18);
        QCOMPARE(child<QLabel>(&dialog, "Label6")->text(),
                 QStringLiteral("Orvendel Software URL: "));

        QTest::mouseClick(child<QLabel>(&dialog, "lblEmail"), Qt::LeftButton);
        QVERIFY(opened.isEmpty());
        QLabel *url = child<QLabel>(&dialog, "lblURL");
        url->setText(QStringLiteral("  https://example.org/a  "));
        QTest::mouseClick(url, Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/a"))});
        QCOMPARE(clipboard.content, QLatin1String(opens ? "before" : "https://example.org/a"));
        QCOMPARE(prompter.messages.size(), opens ? 0 : 1);
        if (!opens) {
            QCOMPARE(prompter.messages[0].text,
                     QStringLiteral("copied URL into the clipboard, you may paste to the address "
                                    "bar of your web browser."));
            QCOMPARE(prompter.messages[0].title, QStringLiteral("copied"));
        }
        QCOMPARE(child<QLabel>(&dialog, "Label4")->text(), QStringLiteral("email: "));
        QVERIFY(child<QLabel>(&dialog, "imgThisIcon"));
        // OK is the default button here: Enter closes the box.
        QVERIFY(child<QPushButton>(&dialog, "btnOk")->isDefault());
        QTest::keyClick(&dialog, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
