#pragma once

#include "settings/settingskeys.h"

#include <QDialog>
#include <QString>

#include <optional>

class QFont;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// Edits one stored text, or takes a new one ("Add"). The text comes in and goes
// out with CR LF line breaks; the box shows LF. The dialog is resizable and keeps
// its size and place in the settings file, written whenever it closes.
class EditTextDialog : public QDialog
{
    Q_OBJECT

public:
    EditTextDialog(QWidget *owner, const Settings &settings, const QString &text, const QFont &font,
                   bool topMost);

    // The text as typed (not trimmed), or nullopt when cancelled or closed.
    static std::optional<QString> edit(QWidget *owner, const Settings &settings,
                                       const QString &text, const QFont &font, bool topMost);

    // After the dialog has closed: the accepted text, nullopt when it was cancelled.
    std::optional<QString> result() const { return m_result; }

    // The smallest client size: the button strip and a little room for the text box.
    QSize minimumClientSize() const;

    void accept() override;
    void done(int r) override;
    void setVisible(bool visible) override;

private:
    // Puts the dialog where it was last closed. Done before the native window
    // exists: only then does move() place the frame, as pos() reported it.
    void placeAsStored();
    void buildControls();
    QString typedText() const;

    QPlainTextEdit *txtEdit = nullptr;
    QWidget *picBottomR = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    Settings m_settings;
    QString m_text;
    std::optional<QString> m_result;
    bool m_placed = false;
};
