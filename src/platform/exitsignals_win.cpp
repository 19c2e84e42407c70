#include "platform/exitsignals.h"

#include <QMetaObject>

#include <atomic>

#include <windows.h>

// A GUI program hears of the end of the session through the session manager;
// the console's control events reach it only when it was started from a
// console (Ctrl+C, Ctrl+Break, closing that console). The handler runs on a
// thread of its own, so it only posts the request to the event loop.

namespace {

std::atomic<ExitSignals *> g_instance{nullptr};
std::atomic<bool> g_ended{false};

BOOL WINAPI onConsoleEvent(DWORD event)
{
    ExitSignals *instance = g_instance.load();
    if (!instance)
        return FALSE;
    const int number = static_cast<int>(event);
    QMetaObject::invokeMethod(
        instance, [instance, number] { emit instance->exitRequested(number); },
        Qt::QueuedConnection);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The system ends the process as soon as this returns: give the exit
        // its save first (the system allows about five seconds).
        for (int i = 0; i < 45 && !g_ended.load(); ++i)
            ::Sleep(100);
    }
    return TRUE;
}

} // namespace

ExitSignals::ExitSignals(QObject *parent)
    : QObject(parent)
{
    ExitSignals *none = nullptr;
    if (!g_instance.compare_exchange_strong(none, this))
        return;
    g_ended = false;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

ExitSignals::~ExitSignals()
{
    if (g_instance.load() != this)
        return;
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    g_instance = nullptr;
    g_ended = true;
}

QString ExitSignals::name(int signalNumber)
{
    switch (signalNumber) {
    case CTRL_C_EVENT:
        return QStringLiteral("Ctrl+C");
    case CTRL_BREAK_EVENT:
        return QStringLiteral("Ctrl+Break");
    case CTRL_CLOSE_EVENT:
        return QStringLiteral("console closed");
    case CTRL_LOGOFF_EVENT:
        return QStringLiteral("logoff");
    case CTRL_SHUTDOWN_EVENT:
        return QStringLiteral("shutdown");
    default:
        return QStringLiteral("console event %1").arg(signalNumber);
    }
}

void ExitSignals::readSignal() {}
