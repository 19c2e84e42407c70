#pragma once

#include "capture/clipboardhistory.h"

#include <QString>

#include <functional>

class ClipboardAccess;
class QItemSelectionModel;
class TextListModel;

// The clipboard side of the window: taking a new clipboard text into the list,
// the history behind the tray menu, and a second copy's request to show the
// window. It holds the state kept between captures (lastClipText, the history);
// CaptureScheduler decides when each step runs.
//
// A capture is cheap when nothing happened: where the clipboard reports changes it
// is read again only after one, and a text already weighed against lastClipText
// is not compared again until either of them changes.
class ClipboardMonitor
{
public:
    struct Hooks
    {
        std::function<void()> showWindow;  // bring the window to the front, or restore and show it
        std::function<void()> listChanged; // refresh the row counter, then the buttons
    };

    ClipboardMonitor(ClipboardAccess &clipboard, TextListModel &model,
                     QItemSelectionModel &selection, QString rexFilePath, Hooks hooks);

    // Takes the clipboard's text into the list: a blank text, one equal to
    // lastClipText or a secret is left alone; an equal text in the list gets its
    // row selected; a new one is appended while the list has room.
    void capture();
    // When the marker file of a second copy exists: shows the window if it says
    // so, and deletes it. True when there was a marker.
    bool answerReExecuteRequest();

    const QString &lastClipText() const { return m_lastClipText; }
    void setLastClipText(const QString &text);

    // What reading a group file resets: lastClipText = "", so a text still on the
    // clipboard is taken into the newly shown group.
    void resetForGroupLoad();

    ClipboardHistory &history() { return m_history; }
    const ClipboardHistory &history() const { return m_history; }

private:
    // Reads the clipboard unless it is known to be unchanged since the last read.
    void refreshClipboardText();
    void takeIn(const QString &text);

    ClipboardAccess &m_clipboard;
    TextListModel &m_model;
    QItemSelectionModel &m_selection;
    QString m_rexFilePath;
    Hooks m_hooks;
    QString m_lastClipText;
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
