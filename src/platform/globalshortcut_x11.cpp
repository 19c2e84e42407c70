#include "platform/globalshortcut_x11.h"

#include "platform/shortcutlog.h"

#include <QGuiApplication>
#include <QKeyCombination>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

// X keysyms of the keys Qt names by their own codes.
constexpr std::pair<int, quint32> kSpecialKeys[] = {
    {Qt::Key_Escape, 0xff1b},    {Qt::Key_Tab, 0xff09},    {Qt::Key_Backtab, 0xff09},
    {Qt::Key_Backspace, 0xff08}, {Qt::Key_Return, 0xff0d}, {Qt::Key_Enter, 0xff8d},
    {Qt::Key_Insert, 0xff63},    {Qt::Key_Delete, 0xffff}, {Qt::Key_Pause, 0xff13},
    {Qt::Key_Print, 0xff61},     {Qt::Key_SysReq, 0xff15}, {Qt::Key_Home, 0xff50},
    {Qt::Key_End, 0xff57},       {Qt::Key_Left, 0xff51},   {Qt::Key_Up, 0xff52},
    {Qt::Key_Right, 0xff53},     {Qt::Key_Down, 0xff54},   {Qt::Key_PageUp, 0xff55},
    {Qt::Key_PageDown, 0xff56},  {Qt::Key_Menu, 0xff67},   {Qt::Key_Help, 0xff6a},
};

constexpr quint32 kNumLockSym = 0xff7f;
constexpr quint32 kScrollLockSym = 0xff14;
constexpr quint32 kAltSyms[] = {0xffe9, 0xffea};                   // Alt_L, Alt_R
constexpr quint32 kSuperSyms[] = {0xffeb, 0xffec, 0xffe7, 0xffe8}; // Super_L/R, Meta_L/R
constexpr int kBadAccess = 10;

std::optional<quint32> keysymOf(int key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return 0xffbe + quint32(key - Qt::Key_F1);
    for (const auto &[qtKey, sym] : kSpecialKeys) {
        if (qtKey == key)
            return sym;
    }
    // Latin-1 keys are their own keysyms, letters in lower case.
    if (key >= 0x20 && key <= 0xff)
        return QChar(key).toLower().unicode();
    return std::nullopt;
}

// The keyboard's keycode-to-keysym table, asked once per grab.
class KeyboardMap
{
public:
    explicit KeyboardMap(xcb_connection_t *c)
    {
        const xcb_setup_t *setup = xcb_get_setup(c);
        m_first = setup->min_keycode;
        const int count = setup->max_keycode - setup->min_keycode + 1;
        m_reply.reset(xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, m_first, quint8(count)), nullptr));
        if (m_reply) {
            m_perCode = m_reply->keysyms_per_keycode;
            m_syms = xcb_get_keyboard_mapping_keysyms(m_reply.get());
            m_length = xcb_get_keyboard_mapping_keysyms_length(m_reply.get());
        }
    }

    // The first keycode that gives this keysym, preferring the unshifted column.
    quint8 keycodeOf(quint32 sym) const
    {
        for (int column = 0; column < m_perCode; ++column) {
            for (int i = column; i < m_length; i += m_perCode) {
                if (m_syms[i] == sym)
                    return quint8(m_first + i / m_perCode);
            }
        }
        return 0;
    }

private:
    Reply<xcb_get_keyboard_mapping_reply_t> m_reply;
    quint8 m_first = 0;
    int m_perCode = 0;
    const xcb_keysym_t *m_syms = nullptr;
    int m_length = 0;
};

// Which of Mod1..Mod5 the keys with these keysyms are on; 0 when none.
quint16 modifierMaskOf(xcb_connection_t *c, const KeyboardMap &map,
                       std::initializer_list<quint32> syms)
{
    const Reply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!reply)
        return 0;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    for (quint32 sym : syms) {
        const quint8 code = map.keycodeOf(sym);
        if (code == 0)
            continue;
        for (int modifier = 3; modifier < 8; ++modifier) { // Mod1 .. Mod5
            for (int i = 0; i < perModifier; ++i) {
                if (codes[modifier * perModifier + i] == code)
                    return quint16(1u << modifier);
            }
        }
    }
    return 0;
}

} // namespace

namespace {
// Qt's own connection; null off X11. The offscreen platform answers to the X11
// interface too, with no connection behind it.
xcb_connection_t *qtConnection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
} // namespace

X11GlobalShortcut::X11GlobalShortcut(QObject *parent)
    : GlobalShortcut(parent)
    , m_connection(qtConnection())
{
    if (m_connection) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
}

X11GlobalShortcut::~X11GlobalShortcut()
{
    release();
    if (m_connection)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11GlobalShortcut::isAvailable()
{
    return qtConnection() != nullptr;
}

bool X11GlobalShortcut::setKey(const QKeySequence &key)
{
    release();
    if (key.isEmpty())
        return succeed(key);
    const QString name = displayName(key);
    if (!m_connection)
        return fail(Failure::Unsupported, QStringLiteral("There is no X11 display."));
    const QKeyCombination combination = key[0];
    const std::optional<quint32> sym = keysymOf(combination.key());
    const KeyboardMap map(m_connection);
    const quint8 keycode = sym ? map.keycodeOf(*sym) : 0;
    if (key.count() != 1 || keycode == 0)
        return fail(Failure::NotAKey,
                    QStringLiteral("%1 is not a key of this keyboard.").arg(name));

    const quint16 alt = modifierMaskOf(m_connection, map, {kAltSyms[0], kAltSyms[1]});
    const quint16 super = modifierMaskOf(
        m_connection, map, {kSuperSyms[0], kSuperSyms[1], kSuperSyms[2], kSuperSyms[3]});
    const Qt::KeyboardModifiers qtModifiers = combination.keyboardModifiers();
    quint16 modifiers = 0;
    if (qtModifiers & Qt::ShiftModifier)
        modifiers |= XCB_MOD_MASK_SHIFT;
    if (qtModifiers & Qt::ControlModifier)
        modifiers |= XCB_MOD_MASK_CONTROL;
    if (qtModifiers & Qt::AltModifier)
        modifiers |= alt ? alt : quint16(XCB_MOD_MASK_1);
    if (qtModifiers & Qt::MetaModifier)
        modifiers |= super ? super : quint16(XCB_MOD_MASK_4);

    // Every combination of the lock modifiers that are set up on this keyboard.
    QList<quint16> locks{0, XCB_MOD_MASK_LOCK};
    for (const quint16 lock : {modifierMaskOf(m_connection, map, {kNumLockSym}),
                               modifierMaskOf(m_connection, map, {kScrollLockSym})}) {
        if (lock == 0 || (lock & modifiers) || locks.contains(lock))
            continue;
        for (qsizetype i = 0, n = locks.size(); i < n; ++i)
            locks.append(quint16(locks.at(i) | lock));
    }

    QList<xcb_void_cookie_t> cookies;
    for (const quint16 lock : std::as_const(locks)) {
        cookies.append(xcb_grab_key_checked(m_connection, 1, m_root, quint16(modifiers | lock),
                                            keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    m_keycode = keycode;
    int errorCode = 0;
    for (qsizetype i = 0; i < cookies.size(); ++i) {
        if (const Reply<xcb_generic_error_t> error{xcb_request_check(m_connection, cookies[i])}) {
            errorCode = errorCode ? errorCode : error->error_code;
            continue;
        }
        m_grabbed.append(quint16(modifiers | locks.at(i)));
    }
    if (errorCode != 0) {
        // Half a key is no key: what was grabbed goes back.
        release();
        if (errorCode == kBadAccess)
            return fail(Failure::Taken,
                        QStringLiteral("%1 is already used by another program.").arg(name));
        return fail(Failure::Refused,
                    QStringLiteral("The X server refused %1 (error %2).").arg(name).arg(errorCode));
    }
    m_modifiers = modifiers;
    m_relevant =
        quint16(XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | (alt ? alt : quint16(XCB_MOD_MASK_1)) |
                (super ? super : quint16(XCB_MOD_MASK_4)));
    qCDebug(lcShortcut) << "grabbed" << name << "as keycode" << keycode << "modifiers" << Qt::hex
                        << modifiers << "in" << locks.size() << "lock states";
    return succeed(key);
}

void X11GlobalShortcut::release()
{
    if (!m_connection || m_keycode == 0)
        return;
    for (const quint16 modifiers : std::as_const(m_grabbed))
        xcb_ungrab_key(m_connection, m_keycode, m_root, modifiers);
    xcb_flush(m_connection);
    m_grabbed.clear();
    m_keycode = 0;
    clearKey();
}

bool X11GlobalShortcut::nativeEventFilter(const QByteArray &eventType, void *message,
                                          qintptr * /*result*/)
{
    if (m_keycode == 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    const auto *press = reinterpret_cast<const xcb_key_press_event_t *>(event);
    if (press->event == m_root && press->detail == m_keycode &&
        (press->state & m_relevant) == m_modifiers) {
        // Qt still takes the press's time, which it needs to give the window the
        // focus; the window is shown once that has happened.
        QMetaObject::invokeMethod(this, &GlobalShortcut::activated, Qt::QueuedConnection);
    }
    return false;
}
