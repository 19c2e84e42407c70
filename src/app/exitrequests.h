#pragma once

#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcExit)

// The requests to end that come from outside the window (a signal, the end of
// the session). One may come at any moment of start-up, while the splash runs
// an event loop and before the main window exists: it is remembered and acted
// on once start-up has handed over, so it is neither lost nor answered against
// a half-built window.
class ExitRequests : public QObject
{
    Q_OBJECT

public:
    using Exit = std::function<void()>;

    explicit ExitRequests(QObject *parent = nullptr);

    // An outside request to end; `why` names it for the log.
    void request(const QString &why);
    // Start-up is done: later requests run `exit` at once, and one that came
    // before runs as soon as the event loop does.
    void handOver(Exit exit);

    bool isPending() const { return m_pending; }
    bool isHandedOver() const { return static_cast<bool>(m_exit); }

private:
    void runExit();

    Exit m_exit;
    bool m_pending = false;
    bool m_running = false;
};
