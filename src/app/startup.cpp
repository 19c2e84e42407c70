#include "app/startup.h"

#include "app/startupsplash.h"
#include "platform/appinfo.h"
#include "platform/filesys.h"
#include "platform/instancelock.h"
#include "settings/inifile.h"
#include "settings/number.h"
#include "settings/settingskeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QThread>

Q_LOGGING_CATEGORY(lcStartup, "pastebasket.startup", QtWarningMsg)

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Something of that name is there, a dangling link included.
bool nameTaken(const QFileInfo &info)
{
    return info.exists() || info.isSymLink();
}

bool moveFile(const QString &from, const QString &to, QString *error)
{
    QFile file(from);
    if (!file.rename(to)) {
        *error = QStringLiteral("cannot move %1 to %2: %3")
                     .arg(native(from), native(to), file.errorString());
        return false;
    }
    // Old installations made their files readable by everybody.
    QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

} // namespace

void finishSplash(const StartupContext &context, std::chrono::milliseconds minimum)
{
    if (context.startTick.isValid()) {
        const qint64 left = minimum.count() - context.startTick.elapsed();
        if (left > 0)
            QThread::msleep(static_cast<unsigned long>(left));
    }
    if (StartUpSplash *splash = context.splash) {
        splash->close();
        delete splash;
    }
}

StartupOptions StartupOptions::forThisProcess()
{
    StartupOptions options;
    options.baseFolder = AppPaths::platformBaseFolder();
    options.programFolder = QCoreApplication::applicationDirPath();
    options.arguments = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    return options;
}

Startup::Startup(StartupOptions options, ShowMessage showMessage)
    : m_options(std::move(options))
    , m_showMessage(std::move(showMessage))
{}

Startup::~Startup()
{
    delete m_context.splash.data();
}

Startup::Outcome Startup::run(const Launcher &launchMainWindow)
{
    QString error;
    const Outcome outcome = runSteps(launchMainWindow, &error);
    if (outcome == Outcome::Failed)
        fail(error);
    return outcome;
}

Startup::Outcome Startup::runSteps(const Launcher &launchMainWindow, QString *error)
{
    if (trimBlanks(m_options.baseFolder).isEmpty()) {
        qCInfo(lcStartup, "no per-user folder");
        return Outcome::NoUserFolder;
    }
    if (!makeUserFolder(error))
        return Outcome::Failed;

    // The lock is taken before the data folder is touched, so that of copies
    // started together only the one that runs moves an old installation's data.
    m_lock = std::make_unique<InstanceLock>(InstanceLock::lockFileIn(paths().userFolder));
    switch (m_lock->tryLock(error)) {
    case InstanceLock::Result::HeldByOther:
        leaveMarker();
        return Outcome::SecondCopy;
    case InstanceLock::Result::Failed:
        return Outcome::Failed;
    case InstanceLock::Result::Acquired:
        qCInfo(lcStartup, "first copy");
        break;
    }

    if (!prepareDataFolder(error))
        return Outcome::Failed;
    showSplash();
    if (!deleteStaleMarker(error) || !makeTempFolder(error))
        return Outcome::Failed;
    Settings(paths().iniFile).writeStartupDefaults();

    qCInfo(lcStartup, "showing the main window");
    if (!launchMainWindow(m_context, error)) {
        if (error->isEmpty())
            *error = QStringLiteral("the main window cannot be shown");
        return Outcome::Failed;
    }
    return Outcome::Launched;
}

bool Startup::makeUserFolder(QString *error)
{
    // A fresh account may not have the base folder yet; it is made like ours.
    const QString base = QDir::cleanPath(m_options.baseFolder);
    if (!makePrivateFolderPath(base, error))
        return false;
    const QString maker = base + QLatin1Char('/') + AppInfo::kMaker.toString();
    const QString user = maker + QLatin1Char('/') + AppInfo::kName.toString();
    if (!makePrivateFolder(maker, error) || !makePrivateFolder(user, error))
        return false;
    m_context.paths = AppPaths::forUserFolder(user);
    return true;
}

void Startup::leaveMarker() const
{
    const QString &rex = paths().rexFile;
    const bool written = IniFile::update(rex, [this](IniDocument &doc) {
        doc.setValue(Setting::ReExecuteReally.section, Setting::ReExecuteReally.key, u"Yes");
        doc.setValue(Setting::ReExecuteCommand.section, Setting::ReExecuteCommand.key,
                     trimBlanks(m_options.arguments));
    });
    // Nothing more a second copy can do: it ends either way, without a word.
    if (written)
        qCInfo(lcStartup, "second copy: marker written");
    else
        qCWarning(lcStartup, "second copy: marker not written");
}

bool Startup::prepareDataFolder(QString *error) const
{
    bool created = false;
    if (!makePrivateFolder(paths().dataFolder, error, &created))
        return false;
    // Saves killed part-way leave their temporary file; with the lock held no
    // other copy is writing these files.
    if (const int n = removeLeftoverTempFiles(paths().dataFolder, QStringLiteral("*.dat")))
        qCInfo(lcStartup, "removed %d temporary files of interrupted saves", n);
    // Only the start that made the data folder looks for old data, so the move
    // is tried once per user at most.
    return !created || migrateOldData(error);
}

bool Startup::migrateOldData(QString *error) const
{
    if (m_options.programFolder.isEmpty())
        return true;
    const QString old = QDir(m_options.programFolder).filePath(QStringLiteral("data"));
    const QFileInfo oldInfo(old);
    if (!oldInfo.isDir() ||
        oldInfo.canonicalFilePath() == QFileInfo(paths().dataFolder).canonicalFilePath())
        return true;

    // Without a group registry the folder is not ours: nothing is moved.
    if (QFileInfo(old + QStringLiteral("/Management.dat")).isFile()) {
        const QStringList files =
            QDir(old).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
        for (const QString &name : files) {
            if (!moveFile(old + QLatin1Char('/') + name,
                          paths().dataFolder + QLatin1Char('/') + name, error))
                return false;
        }
        qCInfo(lcStartup, "moved %lld files from %s", static_cast<long long>(files.size()),
               qUtf8Printable(native(old)));
    }
    // Only an empty folder goes: whatever is left in it was not ours to delete.
    if (QDir().rmdir(old))
        qCInfo(lcStartup, "old data folder removed");
    else
        qCInfo(lcStartup, "old data folder kept: %s", qUtf8Printable(native(old)));
    return true;
}

void Startup::showSplash()
{
    m_context.splash = new StartUpSplash;
    m_context.splash->setMsg(QStringLiteral("Initializing Data ..."));
    m_context.splash->showAndPaint();
    m_context.startTick.start();
}

bool Startup::deleteStaleMarker(QString *error) const
{
    // A marker from an earlier run is not answered.
    const QFileInfo rex(paths().rexFile);
    if (rex.isDir() || !nameTaken(rex))
        return true;
    QFile file(paths().rexFile);
    if (!file.remove()) {
        *error =
            QStringLiteral("cannot delete %1: %2").arg(native(paths().rexFile), file.errorString());
        return false;
    }
    qCInfo(lcStartup, "stale marker deleted");
    return true;
}

bool Startup::makeTempFolder(QString *error) const
{
    // Anything already called "temp", even a file, is left as it is.
    if (nameTaken(QFileInfo(paths().tempFolder)))
        return true;
    return makePrivateFolder(paths().tempFolder, error);
}

void Startup::fail(const QString &description)
{
    if (StartUpSplash *splash = m_context.splash) {
        splash->close();
        delete splash;
    }
    qCWarning(lcStartup, "cannot run: %s", qUtf8Printable(description));
    m_showMessage(AppInfo::kName.toString() + QStringLiteral(" can not run.\r\n") + description,
                  QStringLiteral("system error"));
}
