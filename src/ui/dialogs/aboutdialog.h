#pragma once

#include "platform/urlopener.h"

#include <QDialog>

class ClipboardAccess;
class Prompter;
class QLabel;
class QPushButton;
class QWidget;

// The program's name, version and the maker's addresses. A click on the web
// address opens it; when no browser can be started the address goes onto the
// clipboard instead, with a message saying so.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    AboutDialog(QWidget *owner, ClipboardAccess &clipboard, Prompter &prompter, bool topMost,
                UrlOpener opener = openWithDesktop);

    static void showModal(QWidget *owner, ClipboardAccess &clipboard, Prompter &prompter,
                          bool topMost);

    // What a click on the web address does.
    void openWebAddress();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();

    QLabel *imgThisIcon = nullptr;
    QLabel *lblAppName = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *lblURL = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *lblEmail = nullptr;
    QPushButton *btnOk = nullptr;

    ClipboardAccess &m_clipboard;
    Prompter &m_prompter;
    UrlOpener m_opener;
};
