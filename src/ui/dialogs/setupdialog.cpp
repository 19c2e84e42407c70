#include "ui/dialogs/setupdialog.h"

#include "settings/number.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/hotkeysetting.h"
#include "ui/dialogs/prompter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <utility>

namespace {
// Design sizes in pixels (15 twips each).
// The design's 525 x 335, with room for the global shortcut's frame.
constexpr QSize kDesignClient{525, 385};
constexpr QSize kButtonSize{97, 25};
constexpr int kButtonGap = 15;
constexpr int kConfirmIndent = 24; // check boxes in "Confirming Dialog"
constexpr int kIndent = 48;        // check boxes in "Task tray" and "Startup"
constexpr int kOptionIndent = 40;  // options in "Group"
constexpr int kGroupWidth = 265;

QCheckBox *makeCheckBox(const char *name, const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QGroupBox *makeFrame(const char *name, const QString &title, QWidget *parent)
{
    auto *frame = new QGroupBox(title, parent);
    frame->setObjectName(QLatin1String(name));
    return frame;
}

QVBoxLayout *frameLayout(QGroupBox *frame, int indent)
{
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(indent, 4, 12, 6);
    layout->setSpacing(2);
    return layout;
}
} // namespace

SetupDialog::SetupDialog(QWidget *owner, const Settings &settings, Prompter &prompter, bool topMost)
    : QDialog(owner)
    , m_settings(settings)
    , m_prompter(prompter)
{
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Settings"));
    DialogSupport::setTopMost(this, topMost);
    buildControls();
    readSettings();
    btnOK->setFocus();
    DialogSupport::fixSize(this, kDesignClient);
}

void SetupDialog::buildControls()
{
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(kButtonGap);
    buttons->setContentsMargins(0, 0, 12, 0);
    buttons->addStretch(1);
    for (QPushButton *button : {btnOK, btnCancel}) {
        button->setMinimumSize(kButtonSize);
        buttons->addWidget(button);
    }

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 12, 8, 10);
    column->setSpacing(7);
    column->addWidget(buildConfirmFrame());
    column->addWidget(buildTrayFrame());
    column->addWidget(buildStartupFrame());
    column->addWidget(buildHotKeyFrame());
    column->addStretch(1);
    column->addLayout(buttons);

    chainTabOrder();
    DialogSupport::clearDefaultButtons(this);
    connect(btnOK, &QPushButton::clicked, this, &SetupDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &SetupDialog::reject);
}

QWidget *SetupDialog::buildConfirmFrame()
{
    Frame1 = makeFrame("Frame1", QStringLiteral("Confirming Dialog"), this);
    chkAlarmDsp_Delete = makeCheckBox("chkAlarmDsp_Delete", QStringLiteral("[ Delete ]"), Frame1);
    chkAlarmDsp_Claer = makeCheckBox("chkAlarmDsp_Claer", QStringLiteral("[ Clear ]"), Frame1);
    chkAlarmDsp_DelTasktrayMenuList = makeCheckBox(
        "chkAlarmDsp_DelTasktrayMenuList",
        QStringLiteral("\"Clear the List below\" in the popup menu of the Task tray icon"), Frame1);
    QVBoxLayout *layout = frameLayout(Frame1, kConfirmIndent);
    layout->addWidget(chkAlarmDsp_Delete);
    layout->addWidget(chkAlarmDsp_Claer);
    layout->addWidget(chkAlarmDsp_DelTasktrayMenuList);
    return Frame1;
}

QWidget *SetupDialog::buildTrayFrame()
{
    Frame2 = makeFrame("Frame2", QStringLiteral("Task tray"), this);
    chkInTaskTray =
        makeCheckBox("chkInTaskTray", QStringLiteral("Add the icon to the Task Tray"), Frame2);
    frameLayout(Frame2, kIndent)->addWidget(chkInTaskTray);
    return Frame2;
}

QWidget *SetupDialog::buildStartupFrame()
{
    Frame3 = makeFrame("Frame3", QStringLiteral("Startup"), this);
    chkStartupState = makeCheckBox(
        "chkStartupState",
        QStringLiteral(
            "Minimized to an icon. (When icon is added to the Task Tray, Window is Hiden)"),
        Frame3);
    Frame4 = makeFrame("Frame4", QStringLiteral("Group"), Frame3);
    Frame4->setMinimumWidth(kGroupWidth);
    m_startupGroup = new QButtonGroup(this);
    const std::array<QString, 3> captions = {QStringLiteral("Last group"),
                                             QStringLiteral("Default group"),
                                             QStringLiteral("Default group and clear the list")};
    QVBoxLayout *options = frameLayout(Frame4, kOptionIndent);
    for (int i = 0; i < 3; ++i) {
        optStartupGroup[i] = new QRadioButton(captions[i], Frame4);
        optStartupGroup[i]->setObjectName(QStringLiteral("optStartupGroup_%1").arg(i));
        m_startupGroup->addButton(optStartupGroup[i], i);
        optStartupGroup[i]->installEventFilter(this);
        options->addWidget(optStartupGroup[i]);
    }

    auto *groupRow = new QHBoxLayout;
    groupRow->setContentsMargins(0, 0, 0, 0);
    groupRow->addWidget(Frame4);
    groupRow->addStretch(1);
    QVBoxLayout *layout = frameLayout(Frame3, kIndent);
    layout->addWidget(chkStartupState);
    layout->addLayout(groupRow);
    return Frame3;
}

QWidget *SetupDialog::buildHotKeyFrame()
{
    Frame5 = makeFrame("Frame5", QStringLiteral("Global shortcut"), this);
    lblHotKey = new QLabel(QStringLiteral("Show the window from anywhere with"), Frame5);
    lblHotKey->setObjectName(QStringLiteral("lblHotKey"));
    txtHotKey = new QKeySequenceEdit(Frame5);
    txtHotKey->setObjectName(QStringLiteral("txtHotKey"));
    txtHotKey->setToolTip(QStringLiteral("press the keys; clear the field to have none"));
    txtHotKey->setClearButtonEnabled(true);
    lblHotKey->setBuddy(txtHotKey);
    txtHotKey->installEventFilter(this); // Tab leaves the field instead of being recorded
    // A desktop-wide key is one combination; the edit would take up to four.
    connect(txtHotKey, &QKeySequenceEdit::editingFinished, this, [this] {
        const QKeySequence keys = txtHotKey->keySequence();
        if (keys.count() > 1)
            txtHotKey->setKeySequence(QKeySequence(keys[0]));
    });

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(lblHotKey);
    row->addWidget(txtHotKey, 1);
    frameLayout(Frame5, kIndent)->addLayout(row);
    return Frame5;
}

void SetupDialog::chainTabOrder()
{
    // Buttons first, then the boxes; the options run from the last to the first.
    QWidget *const chain[] = {btnOK,
                              btnCancel,
                              chkAlarmDsp_Delete,
                              chkAlarmDsp_Claer,
                              chkInTaskTray,
                              chkAlarmDsp_DelTasktrayMenuList,
                              chkStartupState,
                              optStartupGroup[2],
                              optStartupGroup[1],
                              optStartupGroup[0],
                              txtHotKey};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i)
        QWidget::setTabOrder(chain[i], chain[i + 1]);
}

bool SetupDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtHotKey && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            focusNextPrevChild(key->key() == Qt::Key_Tab &&
                               !key->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
    }
    // Tab enters the options at the selected one, as arrow keys move between them.
    if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        const auto *option = qobject_cast<QAbstractButton *>(watched);
        QAbstractButton *selected = m_startupGroup->checkedButton();
        if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) && option &&
            option->group() == m_startupGroup && selected && option != selected)
            selected->setFocus(reason);
    }
    return QDialog::eventFilter(watched, event);
}

int SetupDialog::startupGroupOption(QStringView value)
{
    const qint32 option = wholeNumberOf(value);
    return option >= 0 && option <= 2 ? option : 1;
}

void SetupDialog::readSettings()
{
    const std::pair<QCheckBox *, SettingKey> boxes[] = {
        {chkAlarmDsp_Delete, Setting::MsgDelete},
        {chkAlarmDsp_Claer, Setting::MsgClear},
        {chkAlarmDsp_DelTasktrayMenuList, Setting::MsgDelTasktrayMenuList},
        {chkInTaskTray, Setting::InTaskTray},
        {chkStartupState, Setting::StartupState}};
    // The boxes go by the number, so "1.0" ticks as "1" does.
    for (const auto &[box, key] : boxes)
        box->setChecked(m_settings.number(key) == 1);
    optStartupGroup[startupGroupOption(m_settings.value(Setting::StartupGroup))]->setChecked(true);
    // A value that names no key shows empty, and OK confirms the field as shown.
    const HotKeySetting hotKey = HotKeySetting::read(m_settings);
    m_hotKeyShown = hotKey.key;
    m_hotKeyUnreadable = !hotKey.readable;
    txtHotKey->setKeySequence(m_hotKeyShown);
}

bool SetupDialog::writeSettings(QString *error) const
{
    Settings::Batch batch(m_settings);
    batch.setFlag(Setting::MsgDelete, chkAlarmDsp_Delete->isChecked())
        .setFlag(Setting::MsgClear, chkAlarmDsp_Claer->isChecked())
        .setFlag(Setting::MsgDelTasktrayMenuList, chkAlarmDsp_DelTasktrayMenuList->isChecked())
        .setFlag(Setting::InTaskTray, chkInTaskTray->isChecked())
        .setFlag(Setting::StartupState, chkStartupState->isChecked());
    if (const int option = m_startupGroup->checkedId(); option >= 0)
        batch.setValue(Setting::StartupGroup, qint64(option));
    // A desktop-wide key is one combination, also when OK comes before the edit
    // has finished and trimmed a second one away.
    const QKeySequence typed = txtHotKey->keySequence();
    const QKeySequence key = typed.count() > 1 ? QKeySequence(typed[0]) : typed;
    // Left alone, a missing key stays missing and so keeps following the default.
    if (m_hotKeyUnreadable || key != m_hotKeyShown)
        HotKeySetting::write(batch, key);
    return batch.commit(error);
}

void SetupDialog::accept()
{
    QString error;
    if (!writeSettings(&error)) {
        m_prompter.message(DialogSupport::settingsNotWrittenText(m_settings, error),
                           Prompter::systemErrorTitle(), Prompter::Buttons::Ok);
        return;
    }
    QDialog::accept();
}

bool SetupDialog::run(QWidget *owner, const Settings &settings, Prompter &prompter, bool topMost)
{
    return SetupDialog(owner, settings, prompter, topMost).exec() == QDialog::Accepted;
}
