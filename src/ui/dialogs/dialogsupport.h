#pragma once

#include "platform/urlopener.h"
#include "settings/settingskeys.h"

#include <QFont>
#include <QString>

class ClipboardAccess;
class Prompter;
class QDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSize;
class QTextDocument;
class QWidget;

// Small things every dialog of the program does the same way.
namespace DialogSupport {

// Enter must not press a button: the program's dialogs have no default button
// (the about box sets its own afterwards).
void clearDefaultButtons(QDialog *dialog);

// Keeps the dialog above other windows while the main window is kept on top.
void setTopMost(QWidget *window, bool topMost);

// The whole text selected, the cursor at its start so a long text is seen from the top.
void selectWholeText(QPlainTextEdit *box);

// Selects the whole text whenever the box gains the focus by keyboard, mouse or
// code, so typing replaces it. Coming back from another window or from a context
// menu leaves the selection alone, so the user's place in the text is not lost.
void selectAllOnFocus(QPlainTextEdit *box);
void selectAllOnFocus(QLineEdit *box);

// The document's text as typed, with line breaks as LF. Unlike
// QTextDocument::toPlainText() it keeps non-breaking spaces.
QString plainTextOf(const QTextDocument *document);

// A fixed-size dialog of at least the design size, larger when its fonts need it.
void fixSize(QDialog *dialog, QSize designSize);

// A row counter in the window's text colour, or red as a warning. The normal
// colour follows the palette, so a dark theme keeps it readable.
void showCounterWarning(QLabel *counter, bool warning);

// Opens a web address, without the blanks around it. When no browser starts,
// the address goes on the clipboard instead and a message with this text and
// title says so. False in that case.
bool openOrCopyAddress(const QString &address, const UrlOpener &open, ClipboardAccess &clipboard,
                       Prompter &prompter, const QString &message, const QString &title);

// The font the lists of texts are shown in: Courier New, or the substitute the
// font system offers for it when that is fixed-pitch, else the system's
// fixed-pitch face. pointSize 0 keeps the face's own size.
QFont listFont(int pointSize = 0);

// The busy pointer while it lives (a group file being read or written); does
// nothing without a GUI application, as in tests of the commands.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_active;
};

// Says that the settings file could not be written, and why.
QString settingsNotWrittenText(const Settings &settings, const QString &reason);

} // namespace DialogSupport
