#pragma once

#include "app/startupsplash.h"
#include "platform/paths.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class InstanceLock;

// What the start-up hands over to the main window.
struct StartupContext
{
    AppPaths paths;
    QPointer<StartUpSplash> splash; // shown; the main window's load ends it with finishSplash
    QElapsedTimer startTick;        // started just after the splash was shown
};

inline constexpr std::chrono::milliseconds kMinimumSplashTime{500};

// Keeps the splash up until `minimum` has passed since the start tick, then
// closes and deletes it. Sleeps rather than running the event loop, so nothing
// else happens in the middle of the main window's load.
void finishSplash(const StartupContext &context,
                  std::chrono::milliseconds minimum = kMinimumSplashTime);

struct StartupOptions
{
    QString baseFolder;    // the per-user data folder; "Orvendel Software/Pastebasket" goes below
    QString programFolder; // the folder of the executable; its "data" is migrated once
    QString arguments;     // the command line after the program name, as one string

    // The real folders and arguments of this process (needs the application object).
    static StartupOptions forThisProcess();
};

// Everything from the program's start up to the main window: the folders, the
// one-time move of an old installation's data, the one-copy-per-user rule, the
// splash, the settings defaults. The object holds the single-instance lock, so
// it must live as long as the program runs.
class Startup
{
public:
    enum class Outcome
    {
        Launched,     // first copy: the main window has taken over
        SecondCopy,   // the marker for the running copy is written: end quietly
        NoUserFolder, // no per-user folder to be had: end quietly
        Failed,       // the failure message has been shown: end
    };

    // Shows the main window while the splash is still up; false, with the reason
    // in *error, when it cannot.
    using Launcher = std::function<bool(const StartupContext &context, QString *error)>;
    // A message box with an exclamation icon and an OK button: text, title.
    // Line breaks in the text are CR LF.
    using ShowMessage = std::function<void(const QString &text, const QString &title)>;

    Startup(StartupOptions options, ShowMessage showMessage);
    ~Startup();
    Startup(const Startup &) = delete;
    Startup &operator=(const Startup &) = delete;

    Outcome run(const Launcher &launchMainWindow);

    const AppPaths &paths() const { return m_context.paths; }
    // The splash while it is up, for tests.
    StartUpSplash *splash() const { return m_context.splash; }

private:
    Outcome runSteps(const Launcher &launchMainWindow, QString *error);
    bool makeUserFolder(QString *error);
    void leaveMarker() const;
    bool prepareDataFolder(QString *error) const;
    bool migrateOldData(QString *error) const;
    void showSplash();
    bool deleteStaleMarker(QString *error) const;
    bool makeTempFolder(QString *error) const;
    void fail(const QString &description);

    StartupOptions m_options;
    ShowMessage m_showMessage;
    StartupContext m_context;
    std::unique_ptr<InstanceLock> m_lock;
};
