#include "xdesktop.h"

#include <QDeadlineTimer>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {
constexpr int kStartTimeoutMs = 15000;
}

XDesktop::XDesktop() = default;

XDesktop::~XDesktop()
{
    if (m_connection)
        xcb_disconnect(m_connection);
    for (QProcess *process : {&m_windowManager, &m_tray, &m_server}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}

bool XDesktop::start()
{
    // -displayfd: the server picks a free display and writes its number to us.
    m_server.setProgram(u"Xvfb"_s);
    m_server.setArguments(u"-displayfd 1 -screen 0 1024x768x24 -nolisten tcp"_s.split(u' '));
    m_server.setProcessChannelMode(QProcess::SeparateChannels);
    m_server.start();
    QByteArray number;
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!number.contains('\n') && !deadline.hasExpired() &&
           m_server.state() != QProcess::NotRunning) {
        m_server.waitForReadyRead(200);
        number += m_server.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        m_error = u"Xvfb named no display: "_s + m_server.errorString() + u' ' +
                  QString::fromLocal8Bit(m_server.readAllStandardError());
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());

    m_connection = xcb_connect(m_display.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(m_connection)) {
        m_error = u"no connection to "_s + m_display;
        return false;
    }
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    return true;
}

bool XDesktop::startClient(QProcess &process, const QString &command,
                           const std::function<bool()> &ready)
{
    const QStringList arguments = command.split(u' ');
    process.setProgram(arguments.first());
    process.setArguments(arguments.mid(1));
    process.setProcessEnvironment(environment());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        if (ready())
            return true;
        QThread::msleep(50);
    }
    m_error = arguments.first() + u" did not get ready: "_s + process.errorString();
    return false;
}

bool XDesktop::startTray()
{
    return startClient(
        m_tray, u"trayer --edge top --align right --widthtype pixel --width 100 --height 24"_s,
        [this] {
            xcb_get_selection_owner_reply_t *reply = xcb_get_selection_owner_reply(
                m_connection, xcb_get_selection_owner(m_connection, atom("_NET_SYSTEM_TRAY_S0")),
                nullptr);
            const bool owned = reply && reply->owner != XCB_NONE;
            std::free(reply);
            return owned;
        });
}

bool XDesktop::startWindowManager()
{
    // Ready once it has announced itself on the root window.
    return startClient(m_windowManager, u"openbox"_s, [this] {
        return !property(m_root, atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW).isEmpty();
    });
}

QProcessEnvironment XDesktop::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, m_display);
    env.remove(u"WAYLAND_DISPLAY"_s);
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    return env;
}

quint32 internAtom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    const quint32 result = reply ? reply->atom : quint32(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

quint32 XDesktop::atom(const char *name) const
{
    return internAtom(m_connection, name);
}

QByteArray XDesktop::property(quint32 window, quint32 property, quint32 type) const
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 1024), nullptr);
    QByteArray value;
    if (reply) {
        value = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
        std::free(reply);
    }
    return value;
}

std::optional<XDesktop::Window> XDesktop::mainWindow() const
{
    const quint32 typeAtom = atom("_NET_WM_WINDOW_TYPE");
    const auto atomBytes = [this](const char *name) {
        const quint32 a = atom(name);
        return QByteArray(reinterpret_cast<const char *>(&a), sizeof a);
    };
    const QByteArray normal = atomBytes("_NET_WM_WINDOW_TYPE_NORMAL");
    // The splash lists "normal" too, after "splash", for window managers that
    // know no splash type.
    const QByteArray splash = atomBytes("_NET_WM_WINDOW_TYPE_SPLASH");
    // Every window of the program, wherever a window manager has put it.
    const QByteArray ids = run(u"xdotool"_s, {u"search"_s, u"--classname"_s, u"^pastebasket$"_s})
                               .value_or(QByteArray());
    for (const QByteArray &id : ids.split('\n')) {
        const quint32 w = id.toUInt();
        const QByteArray types = property(w, typeAtom, XCB_ATOM_ATOM);
        if (!types.contains(normal) || types.contains(splash))
            continue;
        xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, w), nullptr);
        // The tray icon, until the tray takes it in, is a top-level window too,
        // but one that window managers leave alone.
        const bool found = attributes && !attributes->override_redirect;
        const bool viewable = found && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        if (found)
            return Window{w, viewable};
    }
    return std::nullopt;
}

std::optional<QPoint> XDesktop::framePosition(quint32 window) const
{
    // Left, right, top and bottom: what the frame adds on each side.
    const QByteArray extents = property(window, atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
    xcb_translate_coordinates_reply_t *origin = xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr);
    std::optional<QPoint> frame;
    if (origin && extents.size() == 4 * sizeof(quint32)) {
        const auto *e = reinterpret_cast<const quint32 *>(extents.constData());
        if (e[2] != 0)
            frame = QPoint(origin->dst_x - int(e[0]), origin->dst_y - int(e[2]));
    }
    std::free(origin);
    return frame;
}

void XDesktop::requestClose(quint32 window) const
{
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(m_connection);
}

bool XDesktop::grabKeys(quint16 modifiers) const
{
    xcb_generic_error_t *error = xcb_request_check(
        m_connection, xcb_grab_key_checked(m_connection, 1, m_root, modifiers, XCB_GRAB_ANY,
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    const bool grabbed = !error;
    std::free(error);
    return grabbed;
}

void XDesktop::ungrabKeys(quint16 modifiers) const
{
    // Checked: the server has let go before anyone else asks for the keys.
    std::free(xcb_request_check(
        m_connection, xcb_ungrab_key_checked(m_connection, XCB_GRAB_ANY, m_root, modifiers)));
}

std::optional<QByteArray> XDesktop::run(const QString &program, const QStringList &arguments,
                                        const QByteArray &input, int timeoutMs) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return std::nullopt;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

bool XDesktop::copy(const QByteArray &text) const
{
    return run(u"xclip"_s, u"-selection clipboard"_s.split(u' '), text).has_value();
}

QByteArray XDesktop::clipboard() const
{
    return run(u"xclip"_s, u"-o -selection clipboard"_s.split(u' ')).value_or(QByteArray());
}

bool XDesktop::xdotool(const QString &commands, int timeoutMs) const
{
    return run(u"xdotool"_s, commands.split(u' '), {}, timeoutMs).has_value();
}
