// The desktop clipboard of a real X server, shared with another program (xclip).
#include "e2e/xdesktop.h"
#include "platform/qtclipboard.h"

#include <QGuiApplication>
#include <QStandardPaths>
#include <QTest>

class TestQtClipboardX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("Xvfb is not installed or did not start");
        if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            QSKIP("xclip is not installed");
        QVERIFY(QtClipboard().changeNotification());
    }
    void cleanup()
    {
        m_owner.kill();
        m_owner.waitForFinished();
    }

    void readsOtherProgramsText()
    {
        QtClipboard clipboard;
        const quint64 before = clipboard.changeCount();
        offer("UTF8_STRING", QStringLiteral("line 1\nline \u00e9 2\r\n").toUtf8());
        QTRY_VERIFY(clipboard.changeCount() != before);
        QTRY_COMPARE(clipboard.text(), QStringLiteral("line 1\r\nline \u00e9 2\r\n"));
        QVERIFY(!clipboard.isSecret());
    }

    void secretMarkOfOtherProgram()
    {
        QtClipboard clipboard;
        offer("x-kde-passwordManagerHint", "secret");
        QTRY_VERIFY(clipboard.isSecret());
    }

    void othersPasteOurTextUntilCleared()
    {
        QtClipboard clipboard;
        clipboard.setText(QStringLiteral("a\r\nb \u00e9"));
        QCOMPARE(paste(), QStringLiteral("a\nb \u00e9").toUtf8());
        QCOMPARE(clipboard.text(), QStringLiteral("a\r\nb \u00e9"));
        clipboard.clear();
        QCOMPARE(clipboard.text(), QString());
        QCOMPARE(paste(), QByteArray());
    }

private:
    // Another program takes the clipboard with data of one type; it serves it
    // until it loses the clipboard or is ended at cleanup.
    void offer(const QByteArray &type, const QByteArray &data)
    {
        m_owner.start(QStringLiteral("xclip"), QStringLiteral("-selection clipboard -quiet -t %1")
                                                   .arg(QLatin1String(type))
                                                   .split(u' '));
        QVERIFY(m_owner.waitForStarted());
        m_owner.write(data);
        m_owner.closeWriteChannel();
    }
    // What another program pastes; empty when the clipboard holds no text.
    QByteArray paste()
    {
        QProcess p;
        p.start(QStringLiteral("xclip"), QStringLiteral("-selection clipboard -o").split(u' '));
        // Our own clipboard is served from this thread's event loop: keep it turning.
        [&] { QTRY_VERIFY_WITH_TIMEOUT(p.state() == QProcess::NotRunning, 10000); }();
        return p.readAllStandardOutput();
    }

    QProcess m_owner;
};

int main(int argc, char **argv)
{
    // Started before the application, so that Qt connects to it.
    XDesktop desktop;
    if (desktop.start()) {
        qputenv("DISPLAY", desktop.display().toLatin1());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QGuiApplication app(argc, argv);
    TestQtClipboardX11 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qtclipboard_x11.moc"
