#pragma once

#include <QObject>
#include <QString>

#include <functional>

class ClipboardAccess;
class ClipboardMonitor;
class QFileSystemWatcher;
class QTimer;
class TextListModel;

// When the monitor's steps run, so that nothing wakes while nothing happens:
// - capture: when the clipboard reports a change, at once; where it reports
//   none, on timMain every 200 ms;
// - a second copy's marker file: when the user folder changes (a watcher); a
//   slow check only where the folder cannot be watched;
// - the periodic save: once, 120 s after the first change of the group since it
//   was last loaded or saved, and again after a save that left it changed.
// All of it runs only between start() and stop(), which stand where starting and
// stopping the window's timer stand (around every reload of the list); capture
// also needs "Automatically" on. Starting again, or turning capture back on,
// looks at the clipboard once, as the next tick would.
class CaptureScheduler : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPollIntervalMs = 200;
    static constexpr int kSaveAfterMs = 120000;
    static constexpr int kMarkerCheckMs = 3000;

    struct Hooks
    {
        std::function<void()> saveGroup; // the periodic save
    };

    CaptureScheduler(ClipboardMonitor &monitor, ClipboardAccess &clipboard, TextListModel &model,
                     const QString &rexFilePath, Hooks hooks, QObject *parent = nullptr);
    ~CaptureScheduler() override;

    void start();
    void stop();
    bool isRunning() const { return m_running; }

    // The state of "Automatically".
    void setAutoGet(bool on);
    bool autoGet() const { return m_autoGet; }

    // Counts the time towards the periodic save from now on (SaveElapsedMs = 0).
    void restartSaveCount();

    // For tests: whether each timer is running.
    bool isPolling() const;
    bool isSaveArmed() const;
    bool isCheckingMarkerByTimer() const;

private:
    void captureIfOn();
    void checkMarker();
    void armSaveIfChanged();
    void saveNow();

    ClipboardMonitor &m_monitor;
    ClipboardAccess &m_clipboard;
    TextListModel &m_model;
    QString m_rexFilePath;
    Hooks m_hooks;
    QTimer *timMain;
    QTimer *m_saveTimer;
    QTimer *m_markerTimer;
    QFileSystemWatcher *m_watcher;
    bool m_running = false;
    bool m_autoGet = true;
};
