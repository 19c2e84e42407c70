// darkshot OUT.png: draws the main window under a dark palette, with a few texts
// and one of them selected, and saves the picture. `make demo` runs it on
// the offscreen platform, since an X desktop without a theme offers no dark
// palette to a Qt program.
#include "platform/paths.h"
#include "platform/qtclipboard.h"
#include "settings/settingskeys.h"
#include "store/groupfile.h"
#include "ui/main/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QPalette>
#include <QStyleFactory>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

QPalette darkPalette()
{
    QPalette p;
    const QColor window(0x2b, 0x2b, 0x2e), base(0x1e, 0x1e, 0x20), text(0xe6, 0xe6, 0xe6);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x6f, 0xb4));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xff));
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    return p;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        qWarning("usage: darkshot OUT.png");
        return 2;
    }
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    QApplication::setPalette(darkPalette());

    QTemporaryDir dir;
    const AppPaths paths = AppPaths::forUserFolder(dir.path());
    QDir().mkpath(paths.dataFolder);
    QDir().mkpath(paths.tempFolder);
    Settings(paths.iniFile).writeStartupDefaults();
    const QList<TextEntry> texts{
        {u"git log --oneline --graph --decorate -20"_s, 1, {}, 0},
        {u"find ~/Downloads -name \"*.iso\" -mtime +30 -delete"_s, 0, {}, 0},
        {u"Jane Doe\r\n14 Harbour Street\r\nKingston upon Thames KT1 4AB"_s, 0, u"Office address"_s,
         1},
        {u"for f in *.png; do\r\n    convert \"$f\" -strip \"small/$f\"\r\ndone"_s, 0, {}, 0},
        {u"https://orvendel.example.org/pastebasket/"_s, 0, {}, 0},
        {u"Meeting moved to Thursday, 10:30, room 4B"_s, 0, {}, 0},
    };
    if (!saveGroupFile(paths.groupFile(0), texts))
        return 1;

    QtClipboard clipboard;
    MainWindow::Environment env;
    env.trayAvailable = [] { return false; };
    MainWindow window(paths, clipboard, nullptr, env);
    window.load();
    window.resize(340, 400);
    window.show();
    auto *list = window.findChild<QListView *>(u"lstText"_s);
    list->setFocus();
    list->setCurrentIndex(list->model()->index(4, 0));
    QApplication::processEvents();
    const bool saved = window.grab().save(QString::fromLocal8Bit(argv[1]));
    window.unload();
    return saved ? 0 : 1;
}
