#include "app/exitrequests.h"

#include <QTimer>

Q_LOGGING_CATEGORY(lcExit, "pastebasket.exit", QtInfoMsg)

ExitRequests::ExitRequests(QObject *parent)
    : QObject(parent)
{}

void ExitRequests::request(const QString &why)
{
    if (!m_exit) {
        qCInfo(lcExit, "%s during start-up: ending once it is done", qUtf8Printable(why));
        m_pending = true;
        return;
    }
    qCInfo(lcExit, "%s: ending", qUtf8Printable(why));
    runExit();
}

void ExitRequests::handOver(Exit exit)
{
    m_exit = std::move(exit);
    qCInfo(lcExit, "start-up done");
    if (m_pending)
        QTimer::singleShot(0, this, &ExitRequests::runExit);
}

void ExitRequests::runExit()
{
    // A second signal while the exit saves must not start another exit.
    if (m_running || !m_exit)
        return;
    m_running = true;
    m_pending = false;
    m_exit();
    m_running = false;
}
