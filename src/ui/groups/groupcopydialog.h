#pragma once

#include "ui/groups/groupcopysession.h"

#include <QDialog>

#include <array>

class Prompter;
class QComboBox;
class QKeyEvent;
class QLabel;
class QListWidget;
class QPushButton;
class SearchField;

// Two groups side by side; copies or moves the selected texts from one to the
// other. Every change stands: changed groups are saved when a group is changed on
// either side and when the dialog closes, by "Close" or from the title bar.
class GroupCopyDialog : public QDialog
{
    Q_OBJECT

public:
    GroupCopyDialog(const AppPaths &paths, qint32 mainGroupNo, Prompter &prompter,
                    QWidget *parent = nullptr);

    // Shows the dialog modally on the main window's current group.
    static void run(const AppPaths &paths, qint32 mainGroupNo, Prompter &prompter, QWidget *parent,
                    bool onTop = false);

    static QString closeAnywayText();

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void fillSelectors();
    void showList(int side);
    // Hides the rows of the side that do not hold its search field's text.
    void applyFilter(int side);
    bool listKeyPressed(int side, QKeyEvent *event);
    QList<int> shownSelectedRows(int side) const;
    void showCounters();
    void updateButtons();
    void groupChosen(int side, int row);
    void transfer(CopyButton button);
    void finish(int result);

    Prompter &m_prompter;
    GroupCopySession m_session;
    std::array<QComboBox *, 2> cobGroup{};
    std::array<SearchField *, 2> txtSearch{};
    std::array<QListWidget *, 2> lstText{};
    std::array<QLabel *, 2> lblListCounter{};
    std::array<QPushButton *, 4> btnCopyMove{};
    QPushButton *btnOK = nullptr;
};
