#pragma once

#include <QByteArray>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct xcb_connection_t;

// The atom of this name on that connection, made when it does not exist yet.
quint32 internAtom(xcb_connection_t *connection, const char *name);

// A private X server for one test: Xvfb on a display it picks itself, and
// optionally a notification area (trayer). Windows are looked at through a raw
// X connection, so the test needs no toolkit of its own on that display.
class XDesktop
{
public:
    XDesktop();
    ~XDesktop();
    XDesktop(const XDesktop &) = delete;
    XDesktop &operator=(const XDesktop &) = delete;

    // Starts the server; false with the reason in error() when it cannot.
    bool start();
    // Starts a notification area and waits until it owns the tray selection.
    bool startTray();
    // Starts openbox, a window manager that draws frames, and waits until it runs.
    bool startWindowManager();

    const QString &display() const { return m_display; }
    const QString &error() const { return m_error; }
    // The environment for programs on this display.
    QProcessEnvironment environment() const;

    struct Window
    {
        quint32 id = 0;
        bool viewable = false;
    };
    // The program's main window: the normal window of class "pastebasket" that
    // is neither the splash nor the tray icon, framed or not.
    std::optional<Window> mainWindow() const;
    bool viewable() const
    {
        const auto window = mainWindow();
        return window && window->viewable;
    }
    // Where a window's frame stands on the screen; nullopt until a window manager
    // has framed it.
    std::optional<QPoint> framePosition(quint32 window) const;
    // Asks the window to close as a window manager's close button does.
    void requestClose(quint32 window) const;
    // Grabs every key with these modifiers, as another program holding them does.
    bool grabKeys(quint16 modifiers) const;
    void ungrabKeys(quint16 modifiers) const;

    // Runs a client program on this display; its standard output, or nullopt
    // when it failed or did not end within the time.
    std::optional<QByteArray> run(const QString &program, const QStringList &arguments,
                                  const QByteArray &input = {}, int timeoutMs = 10000) const;
    // The desktop's own tools: xclip for the clipboard, xdotool for the mouse and
    // the keyboard (its commands and their arguments separated by single blanks).
    bool copy(const QByteArray &text) const;
    QByteArray clipboard() const;
    bool xdotool(const QString &commands, int timeoutMs = 20000) const;

private:
    bool startClient(QProcess &process, const QString &command, const std::function<bool()> &ready);
    quint32 atom(const char *name) const;
    QByteArray property(quint32 window, quint32 property, quint32 type) const;

    QProcess m_server;
    QProcess m_tray;
    QProcess m_windowManager;
    QString m_display;
    QString m_error;
    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
};
