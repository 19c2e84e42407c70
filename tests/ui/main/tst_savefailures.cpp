// Saves that fail, in the window itself: the user's exit, the periodic save, the
// session manager's save and an exit by the system. Every case checks that what
// was in memory is somewhere on disk or still in memory, and that the user, or
// the log, was told.
#include "capture/capturescheduler.h"
#include "fakes/fakeclipboard.h"
#include "fakes/fakeprompter.h"
#include "platform/paths.h"
#include "platform/processguard.h"
#include "settings/settingskeys.h"
#include "store/groupfile.h"
#include "ui/main/mainwindow.h"
#include "ui/main/savefailure.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

TextEntry entry(const QString &text)
{
    return TextEntry{text, 0, QString(), 0};
}

QList<TextEntry> readGroup(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? parseGroup(file.readAll(), {}) : QList<TextEntry>();
}

enum class Fault
{
    GroupFileIsAFolder,
    DiskFull, // a file-size limit stands in for a full disk
};

// Makes one fault for as long as it lives; the file system is as it was after.
class FaultScope
{
public:
    FaultScope(Fault fault, const AppPaths &paths)
        : m_fault(fault)
        , m_paths(paths)
    {
        if (fault == Fault::GroupFileIsAFolder) {
            QFile::remove(paths.groupFile(0));
            QDir().mkdir(paths.groupFile(0));
        } else {
            ::getrlimit(RLIMIT_FSIZE, &m_saved);
            rlimit tiny = m_saved;
            tiny.rlim_cur = 8;
            ::setrlimit(RLIMIT_FSIZE, &tiny);
        }
    }
    ~FaultScope() { end(); }
    void end()
    {
        if (m_ended)
            return;
        m_ended = true;
        if (m_fault == Fault::GroupFileIsAFolder)
            QDir().rmdir(m_paths.groupFile(0));
        else
            ::setrlimit(RLIMIT_FSIZE, &m_saved);
    }
    // Part of the reason the system gives.
    QString reason() const
    {
        return m_fault == Fault::GroupFileIsAFolder ? QStringLiteral("Is a directory")
                                                    : QStringLiteral("File too large");
    }

private:
    Fault m_fault;
    AppPaths m_paths;
    rlimit m_saved{};
    bool m_ended = false;
};

struct Rig
{
    explicit Rig(bool trayAvailable = false)
    {
        QDir().mkpath(paths.dataFolder);
        QDir().mkpath(paths.tempFolder);
        settings.writeStartupDefaults();
        env.trayAvailable = [trayAvailable] { return trayAvailable; };
        window = std::make_unique<MainWindow>(paths, clipboard, &prompter, env);
        window->load();
        window->show();
        // In memory only, until a save.
        window->controller().model().appendEntry(entry(QStringLiteral("only in memory")));
    }
    QList<TextEntry> recovered() const
    {
        const QStringList names =
            QDir(paths.dataFolder)
                .entryList({QStringLiteral("group0.dat.recovered-*")}, QDir::Files);
        return names.size() == 1 ? readGroup(QDir(paths.dataFolder).filePath(names.first()))
                                 : QList<TextEntry>();
    }

    QTemporaryDir dir;
    AppPaths paths = AppPaths::forUserFolder(dir.path());
    Settings settings{paths.iniFile};
    FakeClipboard clipboard;
    FakePrompter prompter;
    MainWindow::Environment env;
    std::unique_ptr<MainWindow> window;
};

const QList<TextEntry> kInMemory{entry(QStringLiteral("only in memory"))};

void addFaults()
{
    QTest::addColumn<Fault>("fault");
    QTest::newRow("group file is a folder") << Fault::GroupFileIsAFolder;
    QTest::newRow("disk full") << Fault::DiskFull;
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestSaveFailures : public QObject
{
    Q_OBJECT

private slots:
    // The limit on file sizes must make writes fail, not end the test.
    void initTestCase() { guardProcess(); }

    void userExitIsRefusedUntilTheSaveWorks_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("how");
        for (const char *how : {"popup menu", "tray menu", "close box without tray"}) {
            QTest::addRow("group file is a folder, %s", how) << Fault::GroupFileIsAFolder << how;
            QTest::addRow("disk full, %s", how) << Fault::DiskFull << how;
        }
    }
    void userExitIsRefusedUntilTheSaveWorks()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, how);
        Rig rig(how == u"tray menu");
        MainWindow &w = *rig.window;
        QSignalSpy unloaded(&w, &MainWindow::unloaded);
        const auto exitAsTheUserDoes = [&] {
            if (how == u"popup menu") {
                w.popupMenu()->findChild<QAction *>(QStringLiteral("mnuPopup_ExitApp"))->trigger();
            } else if (how == u"tray menu") {
                emit w.trayMenu()->aboutToShow();
                w.trayMenu()
                    ->findChild<QAction *>(QStringLiteral("mnuTaskTray_ExitApp"))
                    ->trigger();
            } else {
                w.close();
            }
        };

        FaultScope scope(fault, rig.paths);
        exitAsTheUserDoes();
        QCOMPARE(unloaded.size(), 0);
        QVERIFY(w.isVisible());
        QVERIFY(w.findChild<CaptureScheduler *>()->isRunning());
        QCOMPARE(rig.prompter.messages.size(), 1);
        const FakePrompter::Message told = rig.prompter.messages.first();
        QCOMPARE(told.title, QStringLiteral("System error"));
        QVERIFY2(told.text.contains(QDir::toNativeSeparators(rig.paths.groupFile(0))) &&
                     told.text.contains(scope.reason()),
                 qPrintable(told.text));
        QCOMPARE(w.controller().model().entriesInRowOrder(), kInMemory);

        // Room made: the next exit saves and ends.
        scope.end();
        exitAsTheUserDoes();
        QCOMPARE(unloaded.size(), 1);
        QCOMPARE(rig.prompter.messages.size(), 1);
        QCOMPARE(readGroup(rig.paths.groupFile(0)), kInMemory);
    }

    // A signal or the end of the session does not wait: the texts go to a
    // recovery file beside the group file, and the failure to the log.
    void systemExitKeepsTheTextsInARecoveryFile_data() { addFaults(); }
    void systemExitKeepsTheTextsInARecoveryFile()
    {
        QFETCH(Fault, fault);
        Rig rig;
        MainWindow &w = *rig.window;
        QSignalSpy unloaded(&w, &MainWindow::unloaded);
        {
            FaultScope scope(fault, rig.paths);
            QTest::ignoreMessage(
                QtCriticalMsg, QRegularExpression(QStringLiteral("cannot save .*group0\\.dat: .*") +
                                                  scope.reason()));
            QTest::ignoreMessage(QtCriticalMsg,
                                 QRegularExpression(QStringLiteral("texts in memory")));
            if (fault == Fault::DiskFull) {
                QTest::ignoreMessage(
                    QtCriticalMsg, QRegularExpression(QStringLiteral("cannot write the settings")));
            }
            QVERIFY(w.exitApp(MainWindow::ExitCause::System));
        }
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(w.exitSaveFailed());
        QVERIFY(rig.prompter.messages.isEmpty()); // nobody there to answer a box
        if (fault == Fault::GroupFileIsAFolder) {
            QCOMPARE(rig.recovered(), kInMemory);
            const QString recovery = QDir(rig.paths.dataFolder)
                                         .entryInfoList({QStringLiteral("*.recovered-*")})
                                         .first()
                                         .filePath();
            QCOMPARE(QFile::permissions(recovery) & 0x7777,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                         QFileDevice::WriteUser);
        } else {
            // Nothing can be written on a full disk; the log says what is lost.
            QCOMPARE(rig.recovered(), QList<TextEntry>());
        }
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
        QCOMPARE(unloaded.size(), 0);
        QVERIFY(w.isVisible());
        QVERIFY(w.findChild<CaptureScheduler *>()->isRunning());

        // The logout was cancelled; the user goes on copying.
        w.controller().model().appendEntry(entry(QStringLiteral("after the cancel")));
        {
            FaultScope scope(Fault::GroupFileIsAFolder, rig.paths);
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("cannot save")));
            QTest::ignoreMessage(QtCriticalMsg,
                                 QRegularExpression(QStringLiteral("texts in memory")));
            w.commitData();
        }
        QCOMPARE(unloaded.size(), 0);
        QCOMPARE(rig.recovered().size(), 2);
        QVERIFY(rig.prompter.messages.isEmpty());
        QVERIFY(w.exitApp());
        QCOMPARE(readGroup(rig.paths.groupFile(0)).size(), 2);
    }

    // One notice per run of failures, whether three periods fail or thirty.
    void periodicSaveFailureIsToldOncePerRun()
    {
        Rig rig;
        MainController &c = rig.window->controller();
        {
            FaultScope scope(Fault::GroupFileIsAFolder, rig.paths);
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("periodic save failed")));
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("periodic save failed")));
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("periodic save failed")));
            for (int period = 0; period < 3; ++period)
                c.periodicSave();
            QCOMPARE(rig.prompter.messages.size(), 1);
            QVERIFY(rig.prompter.messages.first().text.contains(
                QDir::toNativeSeparators(rig.paths.groupFile(0))));
            QCOMPARE(c.model().entriesInRowOrder(), kInMemory);
        }
        c.periodicSave(); // the retry works: the run ends
        QCOMPARE(readGroup(rig.paths.groupFile(0)), kInMemory);
        c.model().appendEntry(entry(QStringLiteral("second")));
        FaultScope again(Fault::GroupFileIsAFolder, rig.paths);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("periodic save failed")));
        c.periodicSave();
        QCOMPARE(rig.prompter.messages.size(), 2);
    }

    // A group change that cannot save first names the file and the reason.
    void groupChangeNamesTheFile()
    {
        Rig rig;
        MainController &c = rig.window->controller();
        FaultScope scope(Fault::GroupFileIsAFolder, rig.paths);
        QVERIFY(!c.saveCurrentGroup());
        QVERIFY(c.saveError().contains(QDir::toNativeSeparators(rig.paths.groupFile(0))));
        QVERIFY(c.saveError().contains(scope.reason()));
    }

    void recoveryNamesDoNotCollide()
    {
        QTemporaryDir dir;
        const QString group = dir.filePath(QStringLiteral("group3.dat"));
        const QDateTime at(QDate(2026, 1, 2), QTime(3, 4, 5));
        QString first = SaveFailure::writeRecoveryFile(group, kInMemory, nullptr, at);
        QString second = SaveFailure::writeRecoveryFile(group, {}, nullptr, at);
        QCOMPARE(first, group + QStringLiteral(".recovered-20260102-030405"));
        QCOMPARE(second, first + QStringLiteral("-2"));
        QCOMPARE(readGroup(first), kInMemory);
        QVERIFY(QFileInfo(second).isFile());
    }
};

QTEST_MAIN(TestSaveFailures)
#include "tst_savefailures.moc"
