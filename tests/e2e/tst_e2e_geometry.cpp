// Windows that remember their place must come back to it under a window
// manager that draws title bars and borders (openbox), start after start and
// opening after opening, whatever the frame adds around the client area.
#include "e2e/xdesktop.h"
#include "support/program.h"

#include <QDeadlineTimer>
#include <QTest>

using namespace Qt::StringLiterals;

class TestGeometry : public QObject
{
    Q_OBJECT

    XDesktop m_desktop;

    // The places saved: the settings file's section "WindowSize".
    static QByteArray windowSizes(const Program &program)
    {
        const QByteArray ini = program.read("Pastebasket.ini");
        const qsizetype at = ini.indexOf("[WindowSize]");
        return at < 0 ? QByteArray() : ini.mid(at, ini.indexOf("\r\n[", at) - at);
    }
    // The frame's place once it has stopped moving (the window manager places
    // and frames a window in steps).
    QPoint settledFrame(quint32 window) const
    {
        std::optional<QPoint> last;
        int same = 0;
        for (const QDeadlineTimer deadline(kTimeoutMs); same < 3 && !deadline.hasExpired();) {
            const std::optional<QPoint> now = m_desktop.framePosition(window);
            same = now && now == last ? same + 1 : 0;
            last = now;
            QTest::qWait(100);
        }
        return last.value_or(QPoint(-1, -1));
    }
    // The shown window with this title; 0 while there is none.
    quint32 dialog(const char *title) const
    {
        const auto found =
            m_desktop.run(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--name"_s,
                                         u'^' + QLatin1String(title) + u'$'});
        return found ? found->split('\n').value(0).toUInt() : 0;
    }
    void xdotool(const QString &commands) const
    {
        QVERIFY2(m_desktop.xdotool(commands), qPrintable(commands));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_desktop.start() && m_desktop.startWindowManager(),
                 qPrintable(m_desktop.error()));
    }

    // Four runs: in the first the user moves the main window and the Add dialog
    // away from where the window manager put them; in each later one both come
    // back to the same place, and the places saved do not creep.
    void windowsStayWhereTheyWereLeft()
    {
        Program program(m_desktop.environment());
        QPoint mainPlace;
        QPoint addPlace;
        QByteArray saved;
        for (int run = 1; run <= 4; ++run) {
            program.start();
            quint32 window = 0;
            QTRY_VERIFY_WITH_TIMEOUT(
                (window = m_desktop.mainWindow().value_or(XDesktop::Window{}).id) != 0 &&
                    m_desktop.viewable(),
                kTimeoutMs);
            const QString id = QString::number(window);
            QPoint place = settledFrame(window);
            if (run == 1) {
                xdotool(u"windowmove "_s + id + u" 230 170"_s);
                mainPlace = settledFrame(window);
                QVERIFY(mainPlace != QPoint(-1, -1));
            } else {
                QCOMPARE(place, mainPlace);
            }
            // The list is empty, so Tab from it reaches "Add" first; the list
            // gets the keyboard by a click into its empty part.
            xdotool(u"windowactivate --sync "_s + id);
            xdotool(u"mousemove --window "_s + id + u" 100 150 click 1"_s);
            xdotool(u"key --delay 50 Tab space"_s);
            quint32 add = 0;
            QTRY_VERIFY_WITH_TIMEOUT((add = dialog("Add")) != 0, kTimeoutMs);
            place = settledFrame(add);
            if (run == 1) {
                xdotool(u"windowmove %1 300 260"_s.arg(add));
                addPlace = settledFrame(add);
            } else {
                QCOMPARE(place, addPlace);
            }
            xdotool(u"windowactivate --sync %1 key Escape"_s.arg(add));
            QTRY_COMPARE_WITH_TIMEOUT(dialog("Add"), 0u, kTimeoutMs);
            // Without a tray, closing the window ends the program, which saves its place.
            m_desktop.requestClose(window);
            QCOMPARE(program.waitForExit(), 0);
            if (run == 1)
                saved = windowSizes(program);
            QVERIFY2(saved.contains("EditText_Left="), saved.constData());
            QCOMPARE(windowSizes(program), saved);
        }
    }
};

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_e2e_geometry.moc"
