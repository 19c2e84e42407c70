// A clipboard owner for one text, as a program the user copies from would be.
//
//   clipowner <id> <text> <log file>
//
// It takes the CLIPBOARD selection, serves the text as UTF8_STRING (and the
// list of targets) to whoever asks, and ends when another owner takes the
// selection over (serving what it was asked before for a moment longer), or after
// a minute. Each step is appended to the log file as
// one line, with CLOCK_MONOTONIC in nanoseconds:
//   <id> took <ns>
//   <id> asked <target> <ns>
//   <id> lost <ns>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

long long nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

int g_log = -1;
const char *g_id = "";

void logLine(const std::string &what, long long ns)
{
    const std::string line = std::string(g_id) + ' ' + what + ' ' + std::to_string(ns) + '\n';
    // One write per line on an O_APPEND file: lines of several owners never mix.
    if (write(g_log, line.data(), line.size()) < 0)
        std::perror("clipowner: log");
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

std::string atomName(xcb_connection_t *c, xcb_atom_t a)
{
    xcb_get_atom_name_reply_t *reply = xcb_get_atom_name_reply(c, xcb_get_atom_name(c, a), nullptr);
    std::string name =
        reply ? std::string(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply))
              : std::string("?");
    std::free(reply);
    return name;
}

// The server's time, as owners should take a selection with: appending nothing to
// a property of the window reports it.
xcb_timestamp_t serverTime(xcb_connection_t *c, xcb_window_t window)
{
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                        "");
    xcb_flush(c);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        const bool found = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
        if (found)
            time = reinterpret_cast<xcb_property_notify_event_t *>(event)->time;
        std::free(event);
        if (found)
            break;
    }
    return time;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: clipowner <id> <text> <log file>\n");
        return 2;
    }
    g_id = argv[1];
    const std::string text = argv[2];
    g_log = open(argv[3], O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (g_log < 0) {
        std::perror("clipowner: log file");
        return 1;
    }

    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "clipowner: no X display\n");
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screens.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);

    const xcb_atom_t clipboard = atom(c, "CLIPBOARD");
    const xcb_atom_t targets = atom(c, "TARGETS");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");

    // Owners started at once may fetch their times out of order; the later one
    // tries again with a fresh time.
    bool owns = false;
    for (int attempt = 0; attempt < 5 && !owns; ++attempt) {
        const xcb_timestamp_t time = serverTime(c, window);
        xcb_set_selection_owner(c, window, clipboard, time);
        xcb_get_selection_owner_reply_t *owner =
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr);
        owns = owner && owner->owner == window;
        std::free(owner);
    }
    if (!owns) {
        std::fprintf(stderr, "clipowner: could not take the clipboard\n");
        return 1;
    }
    logLine("took", nowNs());

    long long deadline = nowNs() + 60LL * 1000000000LL;
    pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (nowNs() < deadline) {
        xcb_generic_event_t *event = xcb_poll_for_event(c);
        if (!event) {
            if (xcb_connection_has_error(c))
                break;
            poll(&pfd, 1, 1000);
            continue;
        }
        const long long at = nowNs();
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_CLEAR) {
            logLine("lost", at);
            deadline = std::min(deadline, at + 500LL * 1000000LL);
        }
        if (type == XCB_SELECTION_REQUEST) {
            const auto *request = reinterpret_cast<xcb_selection_request_event_t *>(event);
            logLine("asked " + atomName(c, request->target), at);
            xcb_atom_t property = request->property ? request->property : request->target;
            if (request->target == targets) {
                const xcb_atom_t offered[] = {targets, utf8};
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property,
                                    XCB_ATOM_ATOM, 32, 2, offered);
            } else if (request->target == utf8) {
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property, utf8, 8,
                                    static_cast<uint32_t>(text.size()), text.data());
            } else {
                property = XCB_ATOM_NONE; // refused
            }
            xcb_selection_notify_event_t notify{};
            notify.response_type = XCB_SELECTION_NOTIFY;
            notify.time = request->time;
            notify.requestor = request->requestor;
            notify.selection = request->selection;
            notify.target = request->target;
            notify.property = property;
            xcb_send_event(c, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char *>(&notify));
            xcb_flush(c);
        }
        std::free(event);
    }
    xcb_disconnect(c);
    close(g_log);
    return 0;
}
