#include "ui/main/widgetprompter.h"

#include "platform/textcodec.h"

#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

WidgetPrompter::WidgetPrompter(QWidget *owner, QString iniPath, std::function<bool()> topMost)
    : m_owner(owner)
    , m_iniPath(std::move(iniPath))
    , m_topMost(std::move(topMost))
{}

Prompter::Answer WidgetPrompter::message(const QString &text, const QString &title, Buttons buttons,
                                         Icon icon)
{
    QMessageBox box(
        icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title,
        toPlatformLineBreaks(text),
        buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Ok | QMessageBox::Cancel, m_owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, topMost());
    box.setEscapeButton(buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

std::optional<QString> WidgetPrompter::editText(const QString &, const QFont &)
{
    return std::nullopt; // wired when the edit dialog lands
}

std::optional<QString> WidgetPrompter::caption(const QString &, const QString &)
{
    return std::nullopt;
}

std::optional<QString> WidgetPrompter::groupName(const QString &)
{
    return std::nullopt;
}

std::optional<QFont> WidgetPrompter::chooseFont(const QFont &current)
{
    QFontDialog dialog(current, m_owner);
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint, topMost());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

bool WidgetPrompter::setup()
{
    return false;
}

bool WidgetPrompter::groupOrder()
{
    return false;
}

void WidgetPrompter::groupCopy(qint32) {}

void WidgetPrompter::about() {}
