#include "xdesktop.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Windows that remember their place must come back to it under a window
// manager that draws title bars and borders (openbox), start after start and
// opening after opening, whatever the frame adds around the client area.
namespace {

constexpr int kTimeoutMs = 20000;

class GeometryTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<XDesktop> m_desktop;
    QProcess m_windowManager;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_runtime;
    QProcess m_program;

    QString iniPath() const
    {
        return m_home->path() + QStringLiteral("/Orvendel Software/Pastebasket/Pastebasket.ini");
    }
    // A WindowSize value as saved, empty when there is none.
    QString stored(const char *key) const
    {
        QFile file(iniPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QRegularExpression line(QStringLiteral("(?:^|\\n)") + QLatin1String(key) +
                                      QStringLiteral("=([^\\r\\n]*)"));
        return line.match(QString::fromUtf8(file.readAll())).captured(1);
    }
    QString storedPlace(const char *prefix) const
    {
        QStringList values;
        for (const char *key : {"Left", "Top", "Width", "Height"})
            values << stored(QByteArray(QByteArray(prefix) + key).constData());
        return values.join(u',');
    }

    QString tool(const QString &program, const QStringList &arguments) const
    {
        return QString::fromUtf8(m_desktop->run(program, arguments).value_or(QByteArray()));
    }
    // The first shown window whose title is exactly this; 0 when there is none.
    quint32 windowTitled(const QString &title) const
    {
        const QString found = tool(QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--name"), u'^' + title + u'$'});
        return found.split(u'\n', Qt::SkipEmptyParts).value(0).toUInt();
    }
    // Where the window's frame stands on the screen; nullopt until the window
    // manager has framed it.
    std::optional<QPoint> framePosition(quint32 window) const
    {
        const QString id = QString::number(window);
        const QString extents =
            tool(QStringLiteral("xprop"),
                 {QStringLiteral("-id"), id, QStringLiteral("_NET_FRAME_EXTENTS")});
        const QRegularExpressionMatch e =
            QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)")).match(extents);
        const QString info = tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
        const QRegularExpressionMatch x =
            QRegularExpression(QStringLiteral("Absolute upper-left X: +(-?\\d+)")).match(info);
        const QRegularExpressionMatch y =
            QRegularExpression(QStringLiteral("Absolute upper-left Y: +(-?\\d+)")).match(info);
        if (!e.hasMatch() || !x.hasMatch() || !y.hasMatch() || e.captured(3).toInt() == 0)
            return std::nullopt;
        return QPoint(x.captured(1).toInt() - e.captured(1).toInt(),
                      y.captured(1).toInt() - e.captured(3).toInt());
    }
    // The frame's place once it has stopped moving (the window manager places
    // and frames a window in steps).
    QPoint settledFrame(quint32 window) const
    {
        std::optional<QPoint> last;
        int same = 0;
        const QDeadlineTimer deadline(kTimeoutMs);
        while (same < 3 && !deadline.hasExpired()) {
            const std::optional<QPoint> now = framePosition(window);
            same = now && now == last ? same + 1 : 0;
            last = now;
            QTest::qWait(100);
        }
        return last.value_or(QPoint(-1, -1));
    }
    void xdotool(const QStringList &arguments) const
    {
        QVERIFY2(m_desktop->run(QStringLiteral("xdotool"), arguments),
                 qPrintable(arguments.join(u' ')));
    }

    void startProgram()
    {
        QProcessEnvironment env = m_desktop->environment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home->path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
        // libxkbcommon-x11 hands strndup() buffers that are not NUL-terminated.
        QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
        asan.replace(QStringLiteral("strict_string_checks=1"),
                     QStringLiteral("strict_string_checks=0"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), asan);
        m_program.setProcessEnvironment(env);
        m_program.setProcessChannelMode(QProcess::ForwardedChannels);
        m_program.start(QStringLiteral(PB_EXECUTABLE), {});
        QVERIFY(m_program.waitForStarted(kTimeoutMs));
    }
    // The shown main window (the splash has the same title); 0 while there is
    // none. Under a window manager it is no child of the root window, so it is
    // looked for by its title.
    quint32 mainWindow() const
    {
        const QString found = tool(QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--name"), QStringLiteral("^Pastebasket$")});
        for (const QString &id : found.split(u'\n', Qt::SkipEmptyParts)) {
            const QString types =
                tool(QStringLiteral("xprop"),
                     {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_WINDOW_TYPE")});
            if (types.contains(QStringLiteral("NORMAL")) &&
                !types.contains(QStringLiteral("SPLASH")))
                return id.toUInt();
        }
        return 0;
    }
    // Without a tray, closing the window ends the program, which saves its place.
    void closeProgram(quint32 window)
    {
        m_desktop->requestClose(window);
        QVERIFY(m_program.waitForFinished(kTimeoutMs));
        QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program.exitCode(), 0);
    }

private slots:
    void init()
    {
        m_desktop = std::make_unique<XDesktop>();
        QVERIFY2(m_desktop->start(), qPrintable(m_desktop->error()));
        m_windowManager.setProcessEnvironment(m_desktop->environment());
        m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_windowManager.start(QStringLiteral("openbox"), {});
        QVERIFY2(m_windowManager.waitForStarted(kTimeoutMs), "openbox did not start");
        // The window manager is ready once it has announced itself on the root window.
        QTRY_VERIFY_WITH_TIMEOUT(
            tool(QStringLiteral("xprop"),
                 {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QStringLiteral("window id")),
            kTimeoutMs);
        m_home = std::make_unique<QTemporaryDir>();
        m_runtime = std::make_unique<QTemporaryDir>();
        QDir().mkpath(m_home->path() + QStringLiteral("/Orvendel Software/Pastebasket/data"));
    }
    void cleanup()
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished(5000);
        }
        m_windowManager.terminate();
        m_windowManager.waitForFinished(5000);
        m_desktop.reset();
    }

    void mainWindowStaysAfterThreeStarts()
    {
        startProgram();
        quint32 window = 0;
        QTRY_VERIFY_WITH_TIMEOUT((window = mainWindow()) != 0, kTimeoutMs);
        settledFrame(window);
        // Away from where the window manager put it, as a user would.
        xdotool({QStringLiteral("windowmove"), QString::number(window), QStringLiteral("230"),
                 QStringLiteral("170")});
        const QPoint place = settledFrame(window);
        QVERIFY(place != QPoint(-1, -1));
        closeProgram(window);
        const QString saved = storedPlace("");
        QVERIFY(!saved.startsWith(u','));

        for (int start = 2; start <= 4; ++start) {
            startProgram();
            QTRY_VERIFY_WITH_TIMEOUT((window = mainWindow()) != 0, kTimeoutMs);
            QCOMPARE(settledFrame(window), place);
            closeProgram(window);
            QCOMPARE(storedPlace(""), saved);
        }
    }

    void addDialogStaysAfterThreeOpenings()
    {
        startProgram();
        quint32 window = 0;
        QTRY_VERIFY_WITH_TIMEOUT((window = mainWindow()) != 0, kTimeoutMs);
        settledFrame(window);
        const QString id = QString::number(window);
        std::optional<QPoint> first;
        QString saved;
        for (int opening = 1; opening <= 4; ++opening) {
            // The list is empty, so Tab from it reaches "Add" first; the list
            // gets the keyboard by a click into its empty part.
            xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
            xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id,
                     QStringLiteral("100"), QStringLiteral("150"), QStringLiteral("click"),
                     QStringLiteral("1")});
            xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("50"),
                     QStringLiteral("Tab"), QStringLiteral("space")});
            quint32 dialog = 0;
            QTRY_VERIFY_WITH_TIMEOUT((dialog = windowTitled(QStringLiteral("Add"))) != 0,
                                     kTimeoutMs);
            const QPoint place = settledFrame(dialog);
            if (!first) {
                xdotool({QStringLiteral("windowmove"), QString::number(dialog),
                         QStringLiteral("300"), QStringLiteral("260")});
                first = settledFrame(dialog);
            } else {
                QCOMPARE(place, *first);
            }
            xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                     QString::number(dialog)});
            xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
            QTRY_VERIFY_WITH_TIMEOUT(windowTitled(QStringLiteral("Add")) == 0, kTimeoutMs);
            if (opening == 1)
                saved = storedPlace("EditText_");
            else
                QCOMPARE(storedPlace("EditText_"), saved);
        }
        QVERIFY(!saved.startsWith(u','));
        closeProgram(window);
    }
};

} // namespace

QTEST_MAIN(GeometryTest)
#include "tst_e2e_geometry.moc"
