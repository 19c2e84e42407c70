#pragma once

#include "platform/globalshortcut.h"

#include <QAbstractNativeEventFilter>
#include <QList>

struct xcb_connection_t;

// A key grabbed on the root window of Qt's own X11 connection. The grab is made
// once for every state of the lock keys (Caps Lock, Num Lock, Scroll Lock), since
// X matches a grab's modifiers exactly and the key should work whatever lights
// are on.
class X11GlobalShortcut : public GlobalShortcut, private QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit X11GlobalShortcut(QObject *parent = nullptr);
    ~X11GlobalShortcut() override;

    // True when the application runs on an X11 display.
    static bool isAvailable();

    bool setKey(const QKeySequence &key) override;

private:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;
    void release();

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint8 m_keycode = 0;     // 0 while nothing is grabbed
    quint16 m_modifiers = 0;  // the key's own modifiers
    quint16 m_relevant = 0;   // the modifiers a press is compared on
    QList<quint16> m_grabbed; // the modifier sets grabbed, locks included
};
