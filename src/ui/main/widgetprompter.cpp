#include "ui/main/widgetprompter.h"

#include "platform/textcodec.h"
#include "store/groupregistry.h"
#include "ui/dialogs/aboutdialog.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/edittextdialog.h"
#include "ui/dialogs/nameddialog.h"
#include "ui/dialogs/setupdialog.h"
#include "ui/groups/groupcopydialog.h"
#include "ui/groups/groupnamedialog.h"
#include "ui/groups/grouporderdialog.h"

#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

WidgetPrompter::WidgetPrompter(QWidget *owner, const AppPaths &paths, ClipboardAccess &clipboard,
                               std::function<bool()> topMost)
    : m_owner(owner)
    , m_paths(paths)
    , m_settings(paths.iniFile)
    , m_clipboard(clipboard)
    , m_topMost(std::move(topMost))
{}

Prompter::Answer WidgetPrompter::message(const QString &text, const QString &title, Buttons buttons)
{
    QMessageBox box(
        QMessageBox::NoIcon, title, toPlatformLineBreaks(text),
        buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Ok | QMessageBox::Cancel, m_owner);
    box.setTextFormat(Qt::PlainText);
    DialogSupport::setTopMost(&box, topMost());
    box.setEscapeButton(buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

std::optional<QString> WidgetPrompter::editText(const QString &text, const QFont &font)
{
    return EditTextDialog::edit(m_owner, m_settings, text, font, topMost());
}

std::optional<QString> WidgetPrompter::caption(const QString &shownText, const QString &caption)
{
    return NamedDialog::ask(m_owner, shownText, caption, topMost());
}

std::optional<QString> WidgetPrompter::groupName(const QString &name)
{
    return GroupNameDialog::ask(name, m_owner, topMost());
}

std::optional<QFont> WidgetPrompter::chooseFont(const QFont &current)
{
    QFontDialog dialog(current, m_owner);
    DialogSupport::setTopMost(&dialog, topMost());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

bool WidgetPrompter::setup()
{
    return SetupDialog::run(m_owner, m_settings, *this, topMost());
}

bool WidgetPrompter::groupOrder()
{
    const GroupRegistry registry(m_paths.registryFile(), m_paths.dataFolder);
    return GroupOrderDialog::ask(registry, *this, m_owner, topMost());
}

void WidgetPrompter::groupCopy(qint32 currentGroupNo)
{
    GroupCopyDialog::run(m_paths, currentGroupNo, *this, m_owner, topMost());
}

void WidgetPrompter::about()
{
    AboutDialog::showModal(m_owner, m_clipboard, *this, topMost());
}
