#pragma once

#include <QByteArray>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct xcb_connection_t;

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

    const QString &display() const { return m_display; }
    const QString &error() const { return m_error; }
    // The environment for programs on this display.
    QProcessEnvironment environment() const;

    struct Window
    {
        quint32 id = 0;
        bool viewable = false;
        int width = 0;
    };
    // The program's main window: the top-level normal window of class
    // "pastebasket" that is neither the splash nor the tray icon.
    std::optional<Window> mainWindow() const;
    // The centre, on the screen, of the program's icon in the notification area;
    // nullopt while none is embedded there.
    std::optional<QPoint> trayIconCentre() const;
    // Asks the window to close as a window manager's close button does.
    void requestClose(quint32 window) const;

    // Runs a client program on this display; its standard output, or nullopt
    // when it failed or did not end within the time.
    std::optional<QByteArray> run(const QString &program, const QStringList &arguments,
                                  const QByteArray &input = {}, int timeoutMs = 10000) const;

private:
    quint32 atom(const char *name) const;
    QByteArray property(quint32 window, quint32 property, quint32 type) const;
    bool isProgramWindow(quint32 window) const;

    QProcess m_server;
    QProcess m_tray;
    QString m_display;
    QString m_error;
    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
};
