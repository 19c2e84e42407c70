#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLineEdit;
class QPushButton;

// Asks for a group's name. Returns the name trimmed of blanks after "OK";
// "Cancel", Esc and closing the window give nothing.
class GroupNameDialog : public QDialog
{
    Q_OBJECT

public:
    explicit GroupNameDialog(const QString &name, QWidget *parent = nullptr);

    // Valid after exec(): the trimmed name, or nullopt when not confirmed.
    std::optional<QString> name() const;

    // Shows the dialog modally and returns its answer.
    static std::optional<QString> ask(const QString &name, QWidget *parent, bool onTop = false);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *txtGroupName;
    QPushButton *btnOK;
    QPushButton *btnCancel;
};
