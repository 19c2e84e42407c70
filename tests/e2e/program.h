#pragma once

#include "xdesktop.h"

#include <QProcess>
#include <QRect>
#include <QTemporaryDir>

#include <csignal>
#include <functional>

constexpr int kTimeoutMs = 30000;

// One copy of the real program with a user folder of its own, on a private X
// server. Everything it logs is collected, and shown when the test fails.
class Program
{
public:
    explicit Program(const XDesktop &desktop);
    ~Program();

    // The folders given to it as XDG_DATA_HOME and XDG_RUNTIME_DIR.
    QString home() const { return m_home.path(); }
    QString runtime() const { return m_runtime.path(); }
    // A path in the user folder ("data/group0.dat").
    QString file(const char *name) const;
    bool write(const char *name, const QByteArray &content) const;
    QByteArray read(const char *name = "data/group0.dat") const;

    // childSetup runs in the child between fork and exec.
    void start(const std::function<void()> &childSetup = {});
    // A second copy: it hands over to the running one and ends; its exit code.
    int startSecondCopy() const;
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }
    void signal(int number) const { ::kill(static_cast<pid_t>(pid()), number); }
    // The exit code once it has ended; -1 when it did not end in time or crashed.
    int waitForExit();

    const QByteArray &log();
    // Waits until the log holds this text `count` times; false when it does not
    // in time or the program ends first.
    bool waitForLog(const QByteArray &text, int count = 1);
    // Where a control ("cobGroup") or a row of the list ("lstText.0") is on the
    // screen, as the program last logged it; invalid when it logged none in time.
    QRect whereIs(const char *name);

private:
    QProcessEnvironment environment() const;

    const XDesktop &m_desktop;
    QTemporaryDir m_home;
    QTemporaryDir m_runtime;
    QProcess m_process;
    QByteArray m_log;
};
