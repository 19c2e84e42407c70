// The real program on a private X server, driven by the same clients a user's
// desktop has: xclip for the clipboard, xdotool for the mouse and the keyboard,
// a tray host.
#include "e2e/xdesktop.h"
#include "support/program.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>

#include <csignal>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kHiddenInTray = "[Setup]\r\nStartupState=1\r\nIn_TaskTray=1\r\n";

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    std::unique_ptr<XDesktop> m_desktop;

    void xdotool(const QString &commands) const
    {
        QVERIFY2(m_desktop->xdotool(commands), qPrintable(commands));
    }
    // A left click in the middle of a rectangle on the screen.
    void clickAt(const QRect &rect) const
    {
        QVERIFY2(rect.isValid(), "the program logged no place to click");
        xdotool(u"mousemove %1 %2 click 1"_s.arg(rect.center().x()).arg(rect.center().y()));
    }
    // Once the window with this title is shown, gives it the keyboard and runs the
    // commands. The title is a pattern to xdotool: "." stands for a blank. Its
    // search fails when a window goes away under it, so it is tried again.
    void inDialog(QString title, const QString &commands) const
    {
        const QString focus = u"search --sync --onlyvisible --name ^"_s +
                              title.replace(u' ', u'.') + u"$ windowfocus --sync"_s;
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop->xdotool(focus), kTimeoutMs);
        xdotool(commands);
    }

private slots:
    void init()
    {
        m_desktop = std::make_unique<XDesktop>();
        QVERIFY2(m_desktop->start(), qPrintable(m_desktop->error()));
        if (!QByteArray(QTest::currentTestFunction()).contains("WithoutTray"))
            QVERIFY2(m_desktop->startTray(), qPrintable(m_desktop->error()));
    }
    void cleanup() { m_desktop.reset(); }

    // A text copied before the start is not taken in (the load empties the
    // clipboard). Copies a script makes 30 ms apart afterwards are each taken, in
    // order; a click on a row puts its whole text back on the clipboard. Without
    // a tray, closing the window ends the program, which saves, commas and line
    // breaks escaped.
    void copiesAreKeptAndCloseWithoutTrayEndsAndSaves()
    {
        QVERIFY(m_desktop->copy("copied before the start"));
        Program program(m_desktop->environment());
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop->viewable(), kTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(m_desktop->clipboard(), QByteArray(), kTimeoutMs);

        QByteArray expected = "[ListData]\r\n";
        QElapsedTimer clock;
        clock.start();
        for (int i = 1; i <= 20; ++i) {
            const QByteArray n = QByteArray::number(i);
            expected += "Text" + n + "=copy " + n + "\x02 line one\x01line two,0,,0\r\n";
            if (clock.elapsed() < 30)
                QThread::msleep(static_cast<unsigned long>(30 - clock.elapsed()));
            clock.restart();
            // Each copy only once the one before holds the clipboard: xclip serves
            // it from a process of its own, and two may overtake each other.
            const QByteArray text = "copy " + n + ", line one\nline two";
            QVERIFY(m_desktop->copy(text));
            QTRY_COMPARE_WITH_TIMEOUT(m_desktop->clipboard(), text, kTimeoutMs);
        }
        QVERIFY(program.waitForLog("pastebasket.capture: captured ", 20));
        // The list shows the newest texts. Where the rows are is taken from a layout
        // logged once the last one is in, not one from before the list scrolled.
        QVERIFY(program.whereIs("lstText.19").isValid());
        clickAt(program.whereIs("lstText.18"));
        QTRY_COMPARE_WITH_TIMEOUT(m_desktop->clipboard(), QByteArray("copy 19, line one\nline two"),
                                  kTimeoutMs);

        m_desktop->requestClose(m_desktop->mainWindow()->id);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.read(), expected);
        QVERIFY(program.read("Pastebasket.ini").contains("[WindowSize]"));
    }

    // Started hidden in the tray, a second start brings the window up. Closed
    // with a tray, it hides while the program runs on and takes texts in. The
    // global shortcut brings it up with the keyboard, puts it away and brings it
    // up again, however soon after the close it is pressed; a few letters of an old
    // text and Enter put that text on the clipboard as it was, on its two lines.
    // SIGTERM saves what was taken in.
    void hiddenWindowComesBackAndTheKeyFindsAnOldText()
    {
        Program program(m_desktop->environment());
        QVERIFY(program.write("Pastebasket.ini", kHiddenInTray));
        const QByteArray old = "[ListData]\r\nText1=delta epsilon\x01zeta\x02 eta,0,,0\r\n"
                               "Text2=omega,0,,0\r\n";
        QVERIFY(program.write("data/group0.dat", old));
        program.start();
        // Its start empties the clipboard: copy only after it.
        QVERIFY(program.waitForLog("pastebasket.exit: start-up done"));
        QVERIFY(m_desktop->copy("while hidden"));
        QVERIFY(program.waitForLog("pastebasket.capture: captured "));
        QVERIFY(!m_desktop->viewable());
        QCOMPARE(program.startSecondCopy(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop->viewable(), kTimeoutMs);
        QVERIFY(!QFile::exists(program.file("Pastebasket.rex")));

        m_desktop->requestClose(m_desktop->mainWindow()->id);
        QTRY_VERIFY_WITH_TIMEOUT(!m_desktop->viewable(), kTimeoutMs);
        QVERIFY(m_desktop->copy("after the close"));
        QVERIFY(program.waitForLog("pastebasket.capture: captured ", 2));

        const auto shownWithTheKeyboard = [this] {
            const auto window = m_desktop->mainWindow();
            const auto focus = m_desktop->run(u"xdotool"_s, {u"getwindowfocus"_s});
            return window && window->viewable && focus && focus->trimmed().toUInt() == window->id;
        };
        for (const bool shown : {true, false, true}) {
            xdotool(u"key ctrl+alt+v"_s);
            QTRY_VERIFY_WITH_TIMEOUT(shown ? shownWithTheKeyboard() : !m_desktop->viewable(),
                                     kTimeoutMs);
        }
        xdotool(u"type --delay 50 silon"_s);
        xdotool(u"key Return"_s);
        QTRY_COMPARE_WITH_TIMEOUT(m_desktop->clipboard(), QByteArray("delta epsilon\nzeta, eta"),
                                  kTimeoutMs);
        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.read(), old + "Text3=while hidden,0,,0\r\nText4=after the close,0,,0\r\n");
    }

    void groupCommandsRewriteTheRegistryAndTheGroupFiles()
    {
        Program program(m_desktop->environment());
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop->viewable(), kTimeoutMs);
        // The selector's last row, "*** Make a new group", asks for the name.
        const auto newGroup = [&](const QString &name) {
            clickAt(program.whereIs("cobGroup"));
            xdotool(u"key End Return"_s);
            inDialog(u"Group Name"_s, u"type "_s + name);
            xdotool(u"key Tab space"_s);
        };
        // The "Menu" label at the top right, then an item of its "Group" submenu.
        const auto groupMenu = [&](char item) {
            clickAt(program.whereIs("lblMenu"));
            xdotool(u"key g %1"_s.arg(QLatin1Char(item)));
        };
        const QByteArray moved = "[ListData]\r\nText1=moved\x01to the default group,0,,0\r\n";

        newGroup(u"Work"_s);
        QTRY_VERIFY_WITH_TIMEOUT(program.read("data/Management.dat").contains("Group1=Work"),
                                 kTimeoutMs);
        QVERIFY(m_desktop->copy("moved\nto the default group"));
        QVERIFY(program.waitForLog("pastebasket.capture: captured "));
        groupMenu('c');
        // It opens with "Close" focused, the default group on the left and "Work",
        // just saved, on the right. Select the right list's row.
        inDialog(u"between Groups - Copy or Move"_s, u"key shift+Tab space"_s);
        QCOMPARE(program.read("data/group1.dat"), moved);
        // Choosing a group on the left, there and back, enables the move buttons
        // for that selection; then "<= Move" and "Close".
        xdotool(QStringLiteral(
            "key shift+Tab shift+Tab shift+Tab Down Up Tab Tab Tab Tab Tab space Tab space"));
        QTRY_COMPARE_WITH_TIMEOUT(program.read(), moved, kTimeoutMs);

        // "Home", the current group, goes from the registry.
        newGroup(u"Home"_s);
        QTRY_VERIFY_WITH_TIMEOUT(program.read("data/Management.dat").contains("Group2=Home"),
                                 kTimeoutMs);
        groupMenu('d');
        inDialog(u"Warning Query"_s, u"key Return"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!program.read("data/Management.dat").contains("Home"), kTimeoutMs);

        program.signal(SIGTERM);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(QDir(program.file("data")).entryList(QDir::Files).join(u' '),
                 u"group0.dat group1.dat Management.dat"_s);
        QCOMPARE(program.read("data/Management.dat"),
                 QByteArray("[Management]\r\nMaxGroupNo=2\r\n[GroupNo]\r\nGroup0=0\r\n"
                            "Group1=1\r\n[GroupNoName]\r\nGroup0=\r\nGroup1=Work\r\n"));
        QCOMPARE(program.read(), moved);
        QCOMPARE(program.read("data/group1.dat"), QByteArray("[ListData]\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
