#pragma once

#include "settings/settingskeys.h"

#include <QDialog>
#include <QKeySequence>
#include <QStringView>

#include <array>

class Prompter;

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QKeySequenceEdit;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

// The [Setup] settings the user changes: the three confirmations, the tray
// icon, how the program starts, and the desktop-wide key that shows the window.
// OK writes the first six always and the key only when it was changed (or the
// stored one named no key, which the empty field then replaces); Cancel writes
// nothing. A write that fails is told, and the dialog stays open.
class SetupDialog : public QDialog
{
    Q_OBJECT

public:
    SetupDialog(QWidget *owner, const Settings &settings, Prompter &prompter, bool topMost);

    // True when confirmed; the settings are written by then.
    static bool run(QWidget *owner, const Settings &settings, Prompter &prompter, bool topMost);

    // The start-up group option a stored value selects: its number to the nearest
    // whole number, halves to even. Numbers outside 0..2 start the program with the
    // default group, so they select "Default group".
    static int startupGroupOption(QStringView value);

    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QWidget *buildConfirmFrame();
    QWidget *buildTrayFrame();
    QWidget *buildStartupFrame();
    QWidget *buildHotKeyFrame();
    void chainTabOrder();
    void readSettings();
    bool writeSettings(QString *error) const;

    QGroupBox *Frame1 = nullptr;
    QCheckBox *chkAlarmDsp_Delete = nullptr;
    QCheckBox *chkAlarmDsp_Claer = nullptr;
    QCheckBox *chkAlarmDsp_DelTasktrayMenuList = nullptr;
    QGroupBox *Frame2 = nullptr;
    QCheckBox *chkInTaskTray = nullptr;
    QGroupBox *Frame3 = nullptr;
    QCheckBox *chkStartupState = nullptr;
    QGroupBox *Frame4 = nullptr;
    std::array<QRadioButton *, 3> optStartupGroup{};
    QButtonGroup *m_startupGroup = nullptr;
    QGroupBox *Frame5 = nullptr;
    QLabel *lblHotKey = nullptr;
    QKeySequenceEdit *txtHotKey = nullptr;
    QKeySequence m_hotKeyShown; // as read; OK writes the field only when it differs
    bool m_hotKeyUnreadable = false;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    Settings m_settings;
    Prompter &m_prompter;
};
