#pragma once

#include <QProcess>
#include <QRect>
#include <QTemporaryDir>

#include <csignal>
#include <functional>

constexpr int kTimeoutMs = 30000;

// One copy of the real program with a user folder of its own. Everything it
// logs is collected, and shown when the test fails.
class Program
{
public:
    // desktop: the environment of the desktop it runs on (the platform plugin,
    // the display).
    explicit Program(const QProcessEnvironment &desktop,
                     const QString &executable = QStringLiteral(PB_EXECUTABLE));
    ~Program();

    // The folders given to it as XDG_DATA_HOME, which does not exist until
    // something is written there, and XDG_RUNTIME_DIR; both are below top().
    QString top() const { return m_top.path(); }
    QString home() const { return m_top.path() + QStringLiteral("/share"); }
    QString runtime() const { return m_top.path() + QStringLiteral("/run"); }
    // A path in the user folder ("data/group0.dat").
    QString file(const char *name) const;
    bool write(const char *name, const QByteArray &content) const;
    QByteArray read(const char *name = "data/group0.dat") const;

    // childSetup runs in the child between fork and exec.
    void start(const QStringList &arguments = {}, const std::function<void()> &childSetup = {});
    // A second copy: it hands over to the running one and ends; its exit code.
    int startSecondCopy() const;
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }
    void signal(int number) const { ::kill(static_cast<pid_t>(pid()), number); }
    // The exit code once it has ended; -1 when it did not end in time or crashed.
    int waitForExit();

    const QByteArray &log();
    QByteArray output() { return m_process.readAllStandardOutput(); }
    // Waits until the log holds this text `count` times; false when it does not
    // in time or the program ends first.
    bool waitForLog(const QByteArray &text, int count = 1);
    // Where a control ("cobGroup") or a row of the list ("lstText.0") is on the
    // screen, as the program last logged it; invalid when it logged none in time.
    QRect whereIs(const char *name);

private:
    QProcessEnvironment environment() const;

    QProcessEnvironment m_desktop;
    QString m_executable;
    QTemporaryDir m_top;
    QProcess m_process;
    QByteArray m_log;
};
