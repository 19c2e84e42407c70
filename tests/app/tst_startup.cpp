#include "app/startup.h"
#include "app/startupsplash.h"
#include "platform/instancelock.h"
#include "settings/inifile.h"
#include "settings/settingskeys.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

namespace {

int modeOf(const QString &path)
{
    struct stat st
    {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return static_cast<int>(st.st_mode & 07777);
}

bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct Message
{
    QString text;
    QString title;
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();

    void firstStart();
    void migration_data();
    void migration();
    void failures_data();
    void failures();
    void noUserFolder();
    void splashStaysMinimumTime();

    void splashLayout_data();
    void splashLayout();

private:
    // Runs a start-up; the launcher records the context and answers `launchResult`.
    Startup::Outcome run(Startup &startup, bool launchResult = true,
                         const QString &launchError = {});
    std::unique_ptr<Startup> makeStartup(const QString &arguments = {});
    QString userFolder() const { return m_base + QStringLiteral("/Orvendel Software/Pastebasket"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_base;
    QString m_program;
    QList<Message> m_messages;
    int m_launches = 0;
    QPointer<StartUpSplash> m_launchSplash;
    QString m_launchMsg;
};

void TestStartup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // A fresh account: not even the base folder exists yet.
    m_base = m_dir->filePath(QStringLiteral("home/.local/share"));
    m_program = m_dir->filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(m_program));
    m_messages.clear();
    m_launches = 0;
    m_launchSplash.clear();
    m_launchMsg.clear();
}

std::unique_ptr<Startup> TestStartup::makeStartup(const QString &arguments)
{
    StartupOptions options{m_base, m_program, arguments};
    return std::make_unique<Startup>(options, [this](const QString &text, const QString &title) {
        m_messages.append({text, title});
    });
}

Startup::Outcome TestStartup::run(Startup &startup, bool launchResult, const QString &launchError)
{
    return startup.run([&](const StartupContext &context, QString *error) {
        ++m_launches;
        m_launchSplash = context.splash;
        if (context.splash && context.splash->isVisible() && context.startTick.isValid())
            m_launchMsg = context.splash->lblMsg->text();
        *error = launchError;
        return launchResult;
    });
}

void TestStartup::firstStart()
{
    auto startup = makeStartup();
    QCOMPARE(run(*startup), Startup::Outcome::Launched);
    QCOMPARE(m_launches, 1);
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(m_launchMsg, QStringLiteral("Initializing Data ..."));

    const AppPaths &paths = startup->paths();
    QCOMPARE(paths.userFolder, userFolder());
    QVERIFY(QFileInfo(paths.tempFolder).isDir());
    QCOMPARE(IniFile::read(paths.iniFile, Setting::kSetup, u"StartupGroup"), QStringLiteral("0"));

    // The running copy holds the lock until its Startup object goes.
    const QString lockPath = InstanceLock::lockFileIn(paths.userFolder);
    QCOMPARE(InstanceLock(lockPath).tryLock(), InstanceLock::Result::HeldByOther);
    startup.reset();
    QVERIFY(m_launchSplash.isNull());
    QCOMPARE(InstanceLock(lockPath).tryLock(), InstanceLock::Result::Acquired);
}

void TestStartup::migration_data()
{
    QTest::addColumn<QStringList>("oldFiles");
    QTest::addColumn<bool>("subfolder");  // the old folder also holds a folder
    QTest::addColumn<bool>("dataExists"); // the user's data folder is already there
    QTest::addColumn<bool>("moved");
    QTest::addColumn<bool>("oldGone");

    const QStringList all{QStringLiteral("Management.dat"), QStringLiteral("group0.dat"),
                          QStringLiteral("group7.dat"), QStringLiteral(".hidden")};
    QTest::newRow("registry there") << all << false << false << true << true;
    QTest::newRow("registry and a subfolder") << all << true << false << true << false;
    QTest::newRow("no registry") << QStringList{QStringLiteral("group0.dat")} << false << false
                                 << false << false;
    QTest::newRow("no registry, empty") << QStringList{} << false << false << false << true;
    QTest::newRow("data folder exists") << all << false << true << false << false;
}

void TestStartup::migration()
{
    QFETCH(QStringList, oldFiles);
    QFETCH(bool, subfolder);
    QFETCH(bool, dataExists);
    QFETCH(bool, moved);
    QFETCH(bool, oldGone);

    const QString old = m_program + QStringLiteral("/data");
    QVERIFY(QDir().mkpath(old));
    for (const QString &name : oldFiles)
        QVERIFY(putFile(old + QLatin1Char('/') + name, name.toUtf8()));
    if (subfolder)
        QVERIFY(QDir().mkpath(old + QStringLiteral("/sub")));
    if (dataExists)
        QVERIFY(QDir().mkpath(userFolder() + QStringLiteral("/data")));

    auto startup = makeStartup();
    QCOMPARE(run(*startup), Startup::Outcome::Launched);
    QVERIFY(m_messages.isEmpty());

    const QString data = startup->paths().dataFolder;
    const QStringList inData = QDir(data).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    if (moved) {
        QCOMPARE(inData.size(), oldFiles.size());
        for (const QString &name : oldFiles) {
            QCOMPARE(fileBytes(data + QLatin1Char('/') + name), name.toUtf8());
            QCOMPARE(modeOf(data + QLatin1Char('/') + name), 0600);
        }
    } else {
        QVERIFY(inData.isEmpty());
    }
    QCOMPARE(QFileInfo::exists(old), !oldGone);
    if (!oldGone && !moved) {
        for (const QString &name : oldFiles)
            QCOMPARE(fileBytes(old + QLatin1Char('/') + name), name.toUtf8());
    }
    if (subfolder)
        QVERIFY(QFileInfo(old + QStringLiteral("/sub")).isDir());
}

void TestStartup::failures_data()
{
    QTest::addColumn<QString>("inTheWay"); // a file where a folder must go, relative to base
    QTest::addColumn<bool>("launchResult");
    QTest::addColumn<QString>("description"); // contained in the message
    QTest::newRow("maker folder is a file")
        << "Orvendel Software" << true << "Orvendel Software exists and is not a folder";
    QTest::newRow("data folder is a file")
        << "Orvendel Software/Pastebasket/data" << true << "data exists and is not a folder";
    QTest::newRow("main window fails") << "" << false << "\r\nno screen";
}

void TestStartup::failures()
{
    QFETCH(QString, inTheWay);
    QFETCH(bool, launchResult);
    QFETCH(QString, description);
    if (!inTheWay.isEmpty()) {
        const QString path = m_base + QLatin1Char('/') + inTheWay;
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(putFile(path, "x"));
    }

    auto startup = makeStartup();
    QCOMPARE(run(*startup, launchResult, QStringLiteral("no screen")), Startup::Outcome::Failed);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages[0].text.startsWith(QStringLiteral("Pastebasket can not run.\r\n")),
             qPrintable(m_messages[0].text));
    QVERIFY2(m_messages[0].text.endsWith(description), qPrintable(m_messages[0].text));
    QCOMPARE(m_messages[0].title, QStringLiteral("system error"));
    // The splash is gone before the message shows.
    QVERIFY(!startup->splash());
    QVERIFY(m_launchSplash.isNull());
}

void TestStartup::noUserFolder()
{
    m_base = QStringLiteral("   ");
    auto startup = makeStartup();
    QCOMPARE(run(*startup), Startup::Outcome::NoUserFolder);
    QCOMPARE(m_launches, 0);
    QVERIFY(m_messages.isEmpty());
}

void TestStartup::splashStaysMinimumTime()
{
    auto startup = makeStartup();
    qint64 shownFor = -1;
    QPointer<StartUpSplash> splash;
    const Startup::Outcome outcome = startup->run([&](const StartupContext &context, QString *) {
        splash = context.splash;
        finishSplash(context);
        shownFor = context.startTick.elapsed();
        return true;
    });
    QCOMPARE(outcome, Startup::Outcome::Launched);
    QVERIFY2(shownFor >= 500, qPrintable(QString::number(shownFor)));
    QVERIFY(shownFor < 3000);
    QVERIFY(splash.isNull());

    // A load that took longer than the minimum is not kept waiting.
    StartupContext late;
    late.startTick.start();
    QTest::qWait(30);
    QElapsedTimer waited;
    waited.start();
    finishSplash(late, std::chrono::milliseconds(20));
    QVERIFY(waited.elapsed() < 15);
}

void TestStartup::splashLayout_data()
{
    QTest::addColumn<int>("fontPixels"); // 0: the default font
    QTest::newRow("default font") << 0;
    QTest::newRow("large font") << 22;
}

void TestStartup::splashLayout()
{
    QFETCH(int, fontPixels);
    const QFont appFont = QApplication::font();
    const auto restoreFont = qScopeGuard([&] { QApplication::setFont(appFont); });
    if (fontPixels) {
        QFont font = appFont;
        font.setPixelSize(fontPixels);
        QApplication::setFont(font);
    }
    StartUpSplash splash;
    splash.setMsg(QStringLiteral("Initializing Data ..."));
    splash.showAndPaint();

    QCOMPARE(splash.objectName(), QStringLiteral("frmStartUp"));
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash.lblTittle->text(), QStringLiteral("Pastebasket"));
    QCOMPARE(splash.lblVersion->text(), QStringLiteral("Version 1.1.0"));
    QCOMPARE(splash.lblMsg->text(), QStringLiteral("Initializing Data ..."));
    QVERIFY(splash.width() >= 288 && splash.height() >= 99);
    if (!fontPixels)
        QCOMPARE(splash.size(), QSize(288, 99));

    const QList<QLabel *> labels{splash.lblTittle, splash.lblVersion, splash.lblMsg};
    for (QLabel *label : labels) {
        const QFontMetrics fm = label->fontMetrics();
        QVERIFY2(label->width() >= fm.horizontalAdvance(label->text()),
                 label->objectName().toUtf8());
        QVERIFY2(label->height() >= fm.height(), label->objectName().toUtf8());
        QVERIFY2(splash.rect().contains(label->geometry()), label->objectName().toUtf8());
        for (QLabel *other : labels)
            QVERIFY(label == other || !label->geometry().intersects(other->geometry()));
    }
    const QRect screen = splash.screen()->availableGeometry();
    QVERIFY(qAbs(splash.geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(splash.geometry().center().y() - screen.center().y()) <= 1);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
