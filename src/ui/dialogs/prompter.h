#pragma once

#include <QFont>
#include <QString>

#include <optional>

// Every message box and modal dialog the commands open goes through this one
// interface, so the commands can be driven by tests that answer them without a
// screen. The window's implementation shows the real dialogs, owned by the main
// window and kept on top while "Always on Top" is ticked.
class Prompter
{
public:
    enum class Buttons
    {
        Ok,
        OkCancel
    };
    enum class Answer
    {
        Ok,
        Cancel
    };

    virtual ~Prompter() = default;

    // The title of the messages about a file or value that could not be read or
    // written.
    static QString systemErrorTitle() { return QStringLiteral("System error"); }

    // A message box without an icon.
    virtual Answer message(const QString &text, const QString &title, Buttons buttons) = 0;

    // frmEditText: the text as typed, or nullopt when cancelled. An empty text
    // opens the dialog titled "Add".
    virtual std::optional<QString> editText(const QString &text, const QFont &font) = 0;
    // frmNamed: the caption as typed ("" after Remove), or nullopt when cancelled.
    virtual std::optional<QString> caption(const QString &shownText, const QString &caption) = 0;
    // frmGroupName: the name trimmed of blanks, or nullopt when cancelled.
    virtual std::optional<QString> groupName(const QString &name) = 0;
    // The list-font chooser: the chosen font, or nullopt when cancelled.
    virtual std::optional<QFont> chooseFont(const QFont &current) = 0;
    // frmSetup: true when confirmed (the dialog has written the settings).
    virtual bool setup() = 0;
    // frmGroupOrder: true when confirmed (the dialog has written the new order).
    virtual bool groupOrder() = 0;
    // frmGroupCopy, opened on the main window's current group; it saves what it changes.
    virtual void groupCopy(qint32 currentGroupNo) = 0;
    // frmAbout.
    virtual void about() = 0;
};
