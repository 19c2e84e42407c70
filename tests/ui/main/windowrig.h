#pragma once

// The main window on a fresh user folder, with a fake clipboard, scripted dialogs
// and a fake desktop: the tray is there or not, and the global shortcut is kept
// for the test to press.
#include "fakes/fakeclipboard.h"
#include "fakes/fakeglobalshortcut.h"
#include "fakes/fakeprompter.h"
#include "settings/settingskeys.h"
#include "store/groupfile.h"
#include "support/widgets.h"
#include "ui/main/mainwindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

inline TextEntry entry(const QString &text, qint16 protect = 0, const QString &caption = {})
{
    return TextEntry{text, protect, caption, qint16(caption.isEmpty() ? 0 : 1)};
}

inline QList<TextEntry> readGroup(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? parseGroup(file.readAll(), {}) : QList<TextEntry>();
}

struct WindowRig
{
    explicit WindowRig(bool trayAvailable = true)
    {
        QDir().mkpath(paths.dataFolder);
        QDir().mkpath(paths.tempFolder);
        settings.writeStartupDefaults();
        env.trayAvailable = [trayAvailable] { return trayAvailable; };
        env.makeGlobalShortcut = [this] {
            auto made = std::make_unique<FakeGlobalShortcut>();
            made->supported = supported;
            made->taken = taken;
            shortcut = made.get();
            return made;
        };
    }
    // A question nobody scripted would have waited for a user.
    ~WindowRig()
    {
        if (!prompter.unexpected.isEmpty())
            QTest::qFail(qPrintable(u"unscripted: "_s + prompter.unexpected.join(u", ")), __FILE__,
                         __LINE__);
    }
    // Without a prompter the window shows its own dialogs.
    MainWindow &load(const QList<TextEntry> &group0 = {}, bool ownDialogs = false)
    {
        if (!group0.isEmpty() && !saveGroupFile(paths.groupFile(0), group0))
            qFatal("cannot write the group file");
        window =
            std::make_unique<MainWindow>(paths, clipboard, ownDialogs ? nullptr : &prompter, env);
        window->load();
        return *window;
    }
    // Shown and active, the keyboard on the list.
    MainWindow &show(const QList<TextEntry> &group0)
    {
        load(group0).show();
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("the window did not become active");
        list()->setFocus();
        return *window;
    }
    template<typename T = QWidget> T *child(const char *name) const
    {
        return ::child<T>(window.get(), name);
    }
    QListView *list() const { return child<QListView>("lstText"); }
    QLineEdit *search() const { return child<QLineEdit>("txtSearch"); }
    QString counter() const { return child<QLabel>("lblListCounter")->text(); }
    MainController &controller() const { return window->controller(); }
    // The lines the list shows, top to bottom, joined by "|".
    QString shown() const
    {
        QStringList lines;
        const QAbstractItemModel *model = list()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            lines << model->index(row, 0).data().toString().trimmed();
        return lines.join(u'|');
    }
    // The texts of the whole list's selected rows, joined by "|".
    QString selectedTexts() const
    {
        QStringList texts;
        for (const int row : RowSelection::selectedRows(&controller().selection()))
            texts << controller().model().entryAt(row).text;
        return texts.join(u'|');
    }
    void selectShown(const QList<int> &rows) const
    {
        QItemSelectionModel *selection = list()->selectionModel();
        selection->clearSelection();
        for (const int row : rows)
            selection->select(list()->model()->index(row, 0), QItemSelectionModel::Select);
    }
    // Exactly one message was shown, and it names every part (paths in native form).
    bool toldOnce(const QStringList &parts) const
    {
        const QString text = prompter.messages.size() == 1 ? prompter.messages[0].text : QString();
        for (const QString &part : parts)
            if (!text.contains(QDir::toNativeSeparators(part)))
                return qWarning("told %lld: %s", qlonglong(prompter.messages.size()),
                                qPrintable(text)),
                       false;
        return !text.isEmpty();
    }
    void copied(const QString &text)
    {
        clipboard.put(text);
        controller().monitor().capture();
    }

    QTemporaryDir dir;
    AppPaths paths = AppPaths::forUserFolder(dir.path());
    Settings settings{paths.iniFile};
    FakeClipboard clipboard;
    FakePrompter prompter;
    MainWindow::Environment env;
    std::unique_ptr<MainWindow> window;
    bool supported = true;     // by the desktop's global shortcuts
    QList<QKeySequence> taken; // by other programs
    FakeGlobalShortcut *shortcut = nullptr;
};
