#pragma once

#include "capture/clipboardhistory.h"

#include <QString>

#include <functional>

class ClipboardAccess;
class QItemSelectionModel;
class TextListModel;

// The work of one timMain tick: answer a second copy's request to show the
// window, run the periodic save, and take a new clipboard text into the list.
// The window owns the QTimer and calls tick(); this class holds the state the
// tick keeps between calls (lastClipText, SaveElapsedMs, the history).
//
// A tick is cheap when nothing happened: where the clipboard reports changes it
// is read again only after one, and a text already weighed against lastClipText
// is not compared again until either of them changes.
class ClipboardMonitor
{
public:
    static constexpr int kIntervalMs = 200;
    static constexpr int kSaveAfterMs = 120000;

    struct Hooks
    {
        std::function<void()> saveGroup;   // psDataSave
        std::function<void()> showWindow;  // bring the window to the front, or restore and show it
        std::function<void()> listChanged; // refresh the row counter, then the buttons
    };

    ClipboardMonitor(ClipboardAccess &clipboard, TextListModel &model,
                     QItemSelectionModel &selection, QString rexFilePath, Hooks hooks);

    // One tick; autoGet is the state of chkAutoGet.
    void tick(bool autoGet);

    const QString &lastClipText() const { return m_lastClipText; }
    void setLastClipText(const QString &text);

    qint32 saveElapsedMs() const { return m_saveElapsedMs; }
    void resetSaveElapsed() { m_saveElapsedMs = 0; }

    // What reading a group file resets: lastClipText = "" and SaveElapsedMs = 0,
    // so a text still on the clipboard is taken into the newly shown group.
    void resetForGroupLoad();

    ClipboardHistory &history() { return m_history; }
    const ClipboardHistory &history() const { return m_history; }

private:
    void answerReExecuteRequest();
    void countTowardsSave();
    void capture();
    // Reads the clipboard unless it is known to be unchanged since the last read.
    void refreshClipboardText();
    void takeIn(const QString &text);

    ClipboardAccess &m_clipboard;
    TextListModel &m_model;
    QItemSelectionModel &m_selection;
    QString m_rexFilePath;
    Hooks m_hooks;
    QString m_lastClipText;
    qint32 m_saveElapsedMs = 0;
    ClipboardHistory m_history;

    // The clipboard as last read; a secret text is not kept.
    QString m_clipText;
    bool m_clipSecret = false;
    bool m_clipRead = false;
    quint64 m_clipChangeCount = 0;
    // False once m_clipText has been weighed against lastClipText; set again
    // whenever either changes.
    bool m_pending = false;
};
