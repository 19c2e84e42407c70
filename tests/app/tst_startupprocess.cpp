// The real program, started as the user starts it, in its own data folder and
// with no display: what it makes of the folders it finds.
#include "platform/instancelock.h"
#include "settings/settingskeys.h"
#include "support/files.h"
#include "support/program.h"

#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

int modeOf(const QString &path)
{
    struct stat st
    {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// "offscreen" needs no display; "xcb" has none to open.
QProcessEnvironment withoutDisplay(const QString &platform = u"offscreen"_s)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, platform);
    env.remove(u"DISPLAY"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    return env;
}

// Starts the program and ends it, as the system does, once its start-up is
// done; true when it ended well (a sanitizer report makes the exit code non-zero).
// Meanwhile it must have kept the texts out of any core file a crash would write.
bool startAndEnd(Program &program)
{
    program.start();
    if (!program.waitForLog("pastebasket.exit: start-up done"))
        return false;
    const QByteArray limits = readBytes(u"/proc/%1/limits"_s.arg(program.pid()));
    const QByteArray core = limits.mid(limits.indexOf("Max core file size"), 80).simplified();
    program.signal(SIGTERM);
    return program.waitForExit() == 0 && core.startsWith("Max core file size 0 0 ");
}

} // namespace

class TestStartupProcess : public QObject
{
    Q_OBJECT

private slots:
    // A fresh account: not even the base folder exists yet.
    void firstStart()
    {
        Program program(withoutDisplay());
        QVERIFY(startAndEnd(program));
        for (const QString &folder :
             {program.home(), QString(program.home() + u"/Orvendel Software"), program.file(""),
              program.file("data"), program.file("temp")})
            QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(program.file("Pastebasket.ini")), 0600);
        const Settings settings(program.file("Pastebasket.ini"));
        for (const SettingKey &key : Setting::kStartupDefaults)
            QCOMPARE(settings.value(key), key.startupDefault.toString());
    }

    // What an earlier installation left: settings with blank keys, a marker of a
    // run that has ended, a file named "temp", and old data with the group
    // registry beside the program, which is moved.
    void earlierInstallation()
    {
        QTemporaryDir installed;
        const QString oldData = installed.filePath(u"data"_s);
        QVERIFY(writeBytes(oldData + u"/group0.dat", "[ListData]\r\nText1=old,0,,0\r\n"));
        QVERIFY(writeBytes(oldData + u"/Management.dat", "[Management]\r\n"));
        const QString executable = installed.filePath(u"pastebasket"_s);
        QVERIFY(QFile::copy(QStringLiteral(PB_EXECUTABLE), executable));
        Program program(withoutDisplay(), executable);
        QVERIFY(program.write("Pastebasket.ini", "[Setup]\r\nTopPos=0\r\nAutoGet=  \r\n"
                                                 "Msg_Delete=\r\nMsg_Clear=1.0\r\n[Font]\r\n"
                                                 "FontName=Mono\r\n"));
        QVERIFY(program.write("Pastebasket.rex", "[ReExecute]\r\nReally=Yes\r\nCommand=\r\n"));
        QVERIFY(program.write("temp", "a file"));
        // Saves do without the temp folder: the exit saves with a file in its place.
        QVERIFY(startAndEnd(program));

        const Settings s(program.file("Pastebasket.ini"));
        // Only blank keys get their default.
        QCOMPARE(QStringList({s.value(Setting::TopPos), s.value(Setting::AutoGet),
                              s.value(Setting::MsgDelete), s.value(Setting::MsgClear),
                              s.value(Setting::FontName)}),
                 u"0 1 1 1.0 Mono"_s.split(u' '));
        QVERIFY(!QFileInfo::exists(program.file("Pastebasket.rex"))); // a stale one is not answered
        QVERIFY(QFileInfo(program.file("temp")).isFile());
        // The main window saves the default group at exit: the old text is in it
        // only when the old data was moved.
        QVERIFY(program.read().contains("Text1=old"));
        QVERIFY(!QFileInfo::exists(oldData));
    }

    void secondCopyWritesMarkerAndEnds()
    {
        Program program(withoutDisplay());
        QVERIFY(QDir().mkpath(program.file("")));
        InstanceLock running(InstanceLock::lockFileIn(program.file("")));
        QCOMPARE(running.tryLock(), InstanceLock::Result::Acquired);
        program.start({u" --one"_s, u"two\nthree "_s});
        QCOMPARE(program.waitForExit(), 0);
        QVERIFY(program.log().contains("pastebasket.startup: second copy: marker written\n"));
        QCOMPARE(program.read("Pastebasket.rex"),
                 QByteArray("[ReExecute]\r\nReally=Yes\r\nCommand=--one two three\r\n"));
        QVERIFY(!QFileInfo::exists(program.file("Pastebasket.ini")));
    }

    // --version and --help answer on standard output and end, also with no
    // display to open: no lock, no marker, no data folder.
    void answersWithoutStarting_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QByteArray>("answerStart");
        QTest::newRow("--version")
            << u"--version"_s << QByteArray("Pastebasket " PB_PROJECT_VERSION "\n");
        QTest::newRow("-h") << u"-h"_s << QByteArray("Usage: pastebasket [--version | --help]\n");
    }
    void answersWithoutStarting()
    {
        QFETCH(QString, argument);
        QFETCH(QByteArray, answerStart);
        Program program(withoutDisplay(u"xcb"_s));
        program.start({argument});
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.log(), QByteArray());
        const QByteArray answer = program.output();
        QVERIFY2(answer.startsWith(answerStart) && answer.endsWith('\n'), answer.constData());
        QVERIFY(!QFileInfo::exists(program.home()));
    }
};

QTEST_GUILESS_MAIN(TestStartupProcess)
#include "tst_startupprocess.moc"
