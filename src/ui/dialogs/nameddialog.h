#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QFont;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Gives one stored text a caption, changes it or removes it. The beginning of the
// text is shown above the caption box for orientation.
class NamedDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMaxCaptionLength = 64;
    static constexpr int kShownLines = 3;

    NamedDialog(QWidget *owner, const QString &shownText, const QString &caption, bool topMost);

    // The caption as typed (not trimmed), "" after Remove, nullopt when cancelled.
    static std::optional<QString> ask(QWidget *owner, const QString &shownText,
                                      const QString &caption, bool topMost);

    std::optional<QString> result() const { return m_result; }

    // The text broken into at most maxLines lines of the given width, the last
    // one ending in an ellipsis when something had to be left out.
    static QString fitText(const QString &text, const QFont &font, int width, int maxLines);

    void accept() override;

private:
    void buildControls();
    void remove();

    QLabel *Label2 = nullptr;
    QLabel *lblText = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *txtNamed = nullptr;
    QPushButton *btnClear = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    std::optional<QString> m_result;
};
