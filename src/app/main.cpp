#include "app/startup.h"
#include "platform/appinfo.h"
#include "platform/textcodec.h"

#include <QApplication>
#include <QMessageBox>

namespace {

void showStartupMessage(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Warning, title, toPlatformLineBreaks(text), QMessageBox::Ok);
    box.exec();
}

// The main window takes over here: it shows itself, and its load ends the splash.
bool launchMainWindow(const StartupContext &context, QString * /*error*/)
{
    finishSplash(context);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::kName.toString());
    QApplication::setOrganizationName(AppInfo::kMaker.toString());

    Startup startup(StartupOptions::forThisProcess(), showStartupMessage);
    switch (startup.run(launchMainWindow)) {
    case Startup::Outcome::Launched:
        break;
    case Startup::Outcome::SecondCopy:
    case Startup::Outcome::NoUserFolder:
        return 0;
    case Startup::Outcome::Failed:
        return 1;
    }
    // The program lives as long as one of its windows is loaded, shown or hidden.
    if (QApplication::topLevelWidgets().isEmpty())
        return 0;
    return QApplication::exec();
}
