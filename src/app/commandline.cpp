#include "app/commandline.h"

#include "platform/appinfo.h"

std::optional<QString> commandLineAnswer(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return std::nullopt;
    const QString &first = arguments.first();
    if (first == u"--version")
        return AppInfo::kName + u' ' + AppInfo::kVersion + u'\n';
    if (first == u"--help" || first == u"-h") {
        return QStringLiteral("Usage: pastebasket [--version | --help]\n"
                              "\n"
                              "Keeps a history of the plain texts you copy, in numbered, named\n"
                              "groups. Started while it already runs for this user, it shows the\n"
                              "running copy's window and ends.\n"
                              "\n"
                              "  --version   print the version and end\n"
                              "  -h, --help  print this help and end\n"
                              "\n"
                              "The texts and settings are kept in\n"
                              "$XDG_DATA_HOME/") +
               AppInfo::kMaker + u'/' + AppInfo::kName + u'\n';
    }
    return std::nullopt;
}
