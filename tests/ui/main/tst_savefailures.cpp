// Group files and the registry that cannot be written or read. Every case checks
// that what was in memory is somewhere on disk or still in memory, and that the
// user, or the log, was told.
#include "windowrig.h"

#include "capture/capturescheduler.h"
#include "platform/filesys.h"
#include "platform/processguard.h"

#include <sys/resource.h>

namespace {

// Makes one fault for as long as it lives: the group file is a folder, or the disk
// is full (a file-size limit stands in for it). The file system is as it was after.
struct FaultScope
{
    FaultScope(bool diskFull, const QString &groupFile)
        : file(groupFile)
        , reason(diskFull ? u"File too large"_s : u"Is a directory"_s) // part of the system's
    {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit tiny{8, saved.rlim_max};
        QFile::remove(file);
        QVERIFY(diskFull ? ::setrlimit(RLIMIT_FSIZE, &tiny) == 0 : QDir().mkdir(file));
    }
    ~FaultScope() { end(); }
    void end()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        QDir().rmdir(file);
    }
    QString file, reason;
    rlimit saved{};
};

// The window with one text that is only in memory, until a save.
struct Rig : WindowRig
{
    explicit Rig(bool trayAvailable = false)
        : WindowRig(trayAvailable)
    {
        load().show();
        controller().model().appendEntry(entry(u"only in memory"_s));
    }
    // The texts of each recovery file; none from a file other users could read.
    QList<QList<TextEntry>> recovered() const
    {
        QList<QList<TextEntry>> files;
        const QDir data(paths.dataFolder);
        for (const QFileInfo &file : data.entryInfoList({u"group0.dat.recovered-*"_s}))
            files << (file.permissions() & 0x0077 ? QList<TextEntry>()
                                                  : readGroup(file.filePath()));
        return files;
    }
};

const QList<TextEntry> kInMemory{entry(u"only in memory"_s)};

} // namespace

class TestSaveFailures : public QObject
{
    Q_OBJECT

private slots:
    // The limit on file sizes must make writes fail, not end the test.
    void initTestCase() { guardProcess(); }

    void userExitIsRefusedUntilTheSaveWorks_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QString>("how");
        for (const char *how : {"popup menu", "tray menu", "close box without tray"}) {
            QTest::addRow("group file is a folder, %s", how) << false << how;
            QTest::addRow("disk full, %s", how) << true << how;
        }
    }
    void userExitIsRefusedUntilTheSaveWorks()
    {
        QFETCH(bool, diskFull);
        QFETCH(QString, how);
        Rig rig(how == u"tray menu");
        MainWindow &w = *rig.window;
        QSignalSpy unloaded(&w, &MainWindow::unloaded);
        const auto exitAsTheUserDoes = [&] {
            if (how == u"popup menu") {
                w.popupMenu()->findChild<QAction *>(u"mnuPopup_ExitApp"_s)->trigger();
            } else if (how == u"tray menu") {
                emit w.trayMenu()->aboutToShow();
                w.trayMenu()->findChild<QAction *>(u"mnuTaskTray_ExitApp"_s)->trigger();
            } else {
                w.close();
            }
        };

        FaultScope scope(diskFull, rig.paths.groupFile(0));
        exitAsTheUserDoes();
        QCOMPARE(unloaded.size(), 0);
        QVERIFY(w.isVisible());
        QVERIFY(w.findChild<CaptureScheduler *>()->isRunning());
        QVERIFY(rig.toldOnce({rig.paths.groupFile(0), scope.reason}));
        QCOMPARE(rig.controller().model().entriesInRowOrder(), kInMemory);

        // Room made: the next exit saves and ends.
        scope.end();
        exitAsTheUserDoes();
        QCOMPARE(unloaded.size(), 1);
        QCOMPARE(rig.prompter.messages.size(), 1);
        QCOMPARE(readGroup(rig.paths.groupFile(0)), kInMemory);
    }

    // The session manager's save may be followed by a cancelled logout: the
    // program saves and runs on; only the real quit ends it.
    void sessionSaveKeepsRunning()
    {
        Rig rig;
        MainWindow &w = *rig.window;
        QSignalSpy unloaded(&w, &MainWindow::unloaded);
        w.commitData();
        QCOMPARE(readGroup(rig.paths.groupFile(0)), kInMemory);
        QVERIFY(w.isVisible() && w.findChild<CaptureScheduler *>()->isRunning());

        // The logout was cancelled; the user goes on copying.
        rig.controller().model().appendEntry(entry(u"after the cancel"_s));
        {
            FaultScope scope(false, rig.paths.groupFile(0));
            for (int save = 0; save < 2; ++save) { // within a second: the names must differ
                QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"cannot save"_s));
                QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(u"texts in memory"_s));
                w.commitData();
            }
        }
        QCOMPARE(unloaded.size(), 0);
        QCOMPARE(rig.recovered(),
                 QList<QList<TextEntry>>(2, rig.controller().model().entriesInRowOrder()));
        QVERIFY(rig.prompter.messages.isEmpty());
        QVERIFY(w.exitApp());
        QCOMPARE(readGroup(rig.paths.groupFile(0)).size(), 2);
    }

    // One notice per run of failures, whether three periods fail or thirty.
    void periodicSaveFailureIsToldOncePerRun()
    {
        Rig rig;
        MainController &c = rig.controller();
        const QRegularExpression logged(u"periodic save failed"_s);
        {
            FaultScope scope(false, rig.paths.groupFile(0));
            for (int period = 0; period < 3; ++period) {
                QTest::ignoreMessage(QtWarningMsg, logged);
                c.periodicSave();
            }
            QVERIFY(rig.toldOnce({rig.paths.groupFile(0)}));
            QCOMPARE(c.model().entriesInRowOrder(), kInMemory);
        }
        c.periodicSave(); // the retry works: the run ends
        QCOMPARE(readGroup(rig.paths.groupFile(0)), kInMemory);
        c.model().appendEntry(entry(u"second"_s));
        FaultScope again(false, rig.paths.groupFile(0));
        QTest::ignoreMessage(QtWarningMsg, logged);
        c.periodicSave();
        QCOMPARE(rig.prompter.messages.size(), 2);
    }

    // Thousands of bad values in a file are one message, which counts them and
    // shows the first; the values before each bad flag are still loaded.
    void manyBadRecordsAreOneMessage()
    {
        WindowRig rig;
        QByteArray file("[ListData]\r\nText1=good,0,,0\r\n");
        for (int i = 2; i <= 31; ++i)
            file +=
                "Text" + QByteArray::number(i) + "=bad" + QByteArray::number(i) + ",99999,,0\r\n";
        QVERIFY(writeFileAtomically(rig.paths.groupFile(0), file));
        MainController c{rig.paths, rig.clipboard, rig.prompter, {}};
        c.loadGroup(0);
        QCOMPARE(c.model().count(), 31);
        QVERIFY(rig.toldOnce({u"30 "_s, u"Text2=bad2,99999,,0"_s}));
    }

    // A group file that cannot be read whole is set aside, and the user is told
    // which file and where it went; what was read is still shown and saved.
    void unreadableGroupFileIsReported_data()
    {
        QTest::addColumn<bool>("folder"); // else binary junk without a "[ListData]" line
        QTest::newRow("a folder in its place") << true;
        QTest::newRow("no group file") << false;
    }
    void unreadableGroupFileIsReported()
    {
        QFETCH(bool, folder);
        WindowRig rig;
        const QString path = rig.paths.groupFile(0);
        const QByteArray junk("\177ELF=\1\0junk,1,,0\0\377", 18);
        QVERIFY(folder ? QDir().mkpath(path + u"/inside") : writeFileAtomically(path, junk));
        MainController c{rig.paths, rig.clipboard, rig.prompter, {}};
        c.loadGroup(0);
        const QStringList aside =
            QDir(rig.paths.dataFolder)
                .entryList({u"group0.dat.unreadable-*"_s}, QDir::AllEntries | QDir::Hidden);
        QCOMPARE(aside.size(), 1);
        const QString asidePath = rig.paths.dataFolder + u'/' + aside[0];
        QVERIFY(rig.toldOnce({path, asidePath}));
        // The original stays as it was; the next save cannot reach it.
        QVERIFY(c.saveGroup());
        QCOMPARE(QFileInfo(asidePath).isDir(), folder);
        QCOMPARE(loadGroupFile(path).status, GroupLoadResult::Status::Loaded);
    }

    // A font the user chose that cannot be kept is told; the list shows it anyway.
    void chosenFontNotWrittenIsTold()
    {
        WindowRig rig;
        rig.load();
        QVERIFY(QFile::remove(rig.paths.iniFile) && QDir().mkpath(rig.paths.iniFile + u"/x"));
        rig.prompter.fontAnswers.push_back(QFont(u"DejaVu Sans"_s, 21));
        rig.child<QAction>("mnuPopup_ListFont")->trigger();
        QCOMPARE(rig.list()->font().pointSize(), 21);
        QVERIFY(rig.toldOnce({rig.paths.iniFile}));
    }

    // With the registry unreadable the user is told at once, the default group is
    // current and saved, and the registry is never replaced.
    void unreadableRegistryKeepsTheDefaultGroup()
    {
        WindowRig rig;
        QVERIFY(QDir().mkpath(rig.paths.registryFile() + u"/kept"));
        MainController c{rig.paths, rig.clipboard, rig.prompter, {}};
        c.setUpGroups();
        QCOMPARE(c.currentGroupNo(), 0);
        QCOMPARE(c.groups().selector().groupOrder(), QList<qint32>{0});
        QVERIFY(rig.toldOnce({rig.paths.registryFile()}));
        c.loadGroup(0);
        c.model().appendEntry(entry(u"copied"_s));
        QVERIFY(c.saveGroup());
        QCOMPARE(readGroup(rig.paths.groupFile(0)).size(), 1);
        QVERIFY(QFileInfo(rig.paths.registryFile() + u"/kept").isDir());
    }
};

QTEST_MAIN(TestSaveFailures)
#include "tst_savefailures.moc"
