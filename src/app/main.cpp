#include "app/commandline.h"
#include "app/exitrequests.h"
#include "app/startup.h"
#include "platform/appicon.h"
#include "platform/appinfo.h"
#include "platform/exitsignals.h"
#include "platform/processguard.h"
#include "platform/qtclipboard.h"
#include "platform/session.h"
#include "platform/textcodec.h"
#include "ui/main/mainwindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QSessionManager>

#include <cstdio>
#include <memory>

namespace {

void showStartupMessage(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Warning, title, toPlatformLineBreaks(text), QMessageBox::Ok);
    box.exec();
}

// The objects that live while the program runs, made when start-up hands over.
struct Running
{
    std::unique_ptr<QtClipboard> clipboard;
    std::unique_ptr<MainWindow> window;
};

} // namespace

int main(int argc, char **argv)
{
    // Answered before anything else, so they work without a display and never
    // reach a running copy.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (const std::optional<QString> answer = commandLineAnswer(arguments)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    guardProcess();
    preferXcbUnderWayland();
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::kName.toString());
    QApplication::setOrganizationName(AppInfo::kMaker.toString());
    QGuiApplication::setDesktopFileName(kDesktopFileName.toString());
    QApplication::setWindowIcon(appIcon());
    // A hidden window is no reason to end: the program ends when the main window
    // has unloaded, however that came about.
    QApplication::setQuitOnLastWindowClosed(false);

    // A logout, a shutdown or a kill ends the program through the same unload
    // as its Exit command, so what is in memory reaches the files (or, when they
    // cannot be written, a recovery file). Caught from the start: one that comes
    // during start-up is answered once the window is up.
    Running running;
    ExitRequests exitRequests;
    ExitSignals exitSignals;
    QObject::connect(
        &exitSignals, &ExitSignals::exitRequested, &exitRequests,
        [&exitRequests](int number) { exitRequests.request(ExitSignals::name(number)); });
    const auto launch = [&running](const StartupContext &context, QString * /*error*/) {
        running.clipboard = std::make_unique<QtClipboard>();
        running.window = std::make_unique<MainWindow>(context.paths, *running.clipboard);
        QObject::connect(running.window.get(), &MainWindow::unloaded, qApp, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        running.window->load([&context] { finishSplash(context); });
        running.window->showAtStart();
        return true;
    };

    Startup startup(StartupOptions::forThisProcess(), showStartupMessage);
    switch (startup.run(launch)) {
    case Startup::Outcome::Launched:
        break;
    case Startup::Outcome::SecondCopy:
    case Startup::Outcome::NoUserFolder:
        return 0;
    case Startup::Outcome::Failed:
        return 1;
    }
    if (!running.window)
        return 0;

    MainWindow *window = running.window.get();
    exitRequests.handOver([window] { window->exitApp(MainWindow::ExitCause::System); });
    // Before a logout the session manager asks for the data; the user may still
    // cancel the logout, so this saves and the program runs on. It ends only
    // when the application really quits.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, window,
                     [window](QSessionManager &) { window->commitData(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, window,
                     [window] { window->unload(MainWindow::ExitCause::System); });

    const int result = QApplication::exec();
    const bool saveFailed = window->exitSaveFailed();
    running.window.reset();
    return saveFailed && result == 0 ? 2 : result;
}
