#include "ui/main/listcommands.h"

#include "platform/clipboard.h"
#include "settings/number.h"
#include "store/textlistmodel.h"
#include "ui/dialogs/prompter.h"

#include <QItemSelectionModel>

namespace {
// The first units of a text shown in the caption dialog, to recognise it by.
constexpr qsizetype kCaptionDialogTextUnits = 256;
} // namespace

ListCommands::ListCommands(TextListModel &model, QItemSelectionModel &selection,
                           ClipboardAccess &clipboard, Prompter &prompter, Settings settings,
                           Hooks hooks)
    : m_model(model)
    , m_selection(selection)
    , m_clipboard(clipboard)
    , m_prompter(prompter)
    , m_settings(std::move(settings))
    , m_hooks(std::move(hooks))
{}

void ListCommands::add()
{
    if (m_model.count() >= kMaxListRows)
        return;
    const QFont font = m_hooks.listFont ? m_hooks.listFont() : QFont();
    const std::optional<QString> text = m_prompter.editText(QString(), font);
    if (!text || isBlank(*text))
        return;

    TextEntry entry;
    entry.text = *text;
    const int row = m_model.appendEntry(entry);
    RowSelection::selectOnly(&m_selection, row);
    // lastClipText stays: the monitor meets the new text on the clipboard, finds
    // its row and enters it in the tray history like any copied text.
    putOnClipboard(*text);
    notifyListChanged();
}

void ListCommands::edit()
{
    if (warnIfSeveralSelected())
        return;
    const int row = topSelectedRow();
    if (row >= 0) {
        const QFont font = m_hooks.listFont ? m_hooks.listFont() : QFont();
        const std::optional<QString> text = m_prompter.editText(m_model.entryAt(row).text, font);
        if (text && !isBlank(*text)) {
            TextEntry entry = m_model.entryAt(row);
            entry.text = *text;
            m_model.setEntryAt(row, entry);
        }
    }
    // Also after Cancel: Edit leaves the selected text on the clipboard.
    copySelectedText();
}

void ListCommands::deleteSelected()
{
    const bool ask = m_settings.isExactlyOne(Setting::MsgDelete);
    bool asked = false;
    for (int row = m_model.count() - 1; row >= 0; --row) {
        if (!RowSelection::isSelected(&m_selection, row) || isKept(m_model.entryAt(row)))
            continue;
        if (ask && !asked) {
            asked = true;
            const Prompter::Answer answer = m_prompter.message(
                QStringLiteral("Delete Selected text except procted(P#) and another caption(N@)"),
                QStringLiteral("Confirm"), Prompter::Buttons::OkCancel);
            if (answer == Prompter::Answer::Cancel)
                break;
        }
        // The monitor would take the deleted text straight back from the
        // clipboard. An empty lastClipText names no text, so an entry with an
        // empty text must not wipe whatever the user has on the clipboard.
        const QString last = lastClipText();
        if (!last.isEmpty() && m_model.entryAt(row).text == last) {
            setLastClipText(QString());
            m_clipboard.clear();
        }
        m_model.removeRowAt(row);
    }
    notifyListChanged();
}

void ListCommands::clear()
{
    QList<TextEntry> kept;
    int toClear = 0;
    for (int row = 0; row < m_model.count(); ++row) {
        const TextEntry &entry = m_model.entryAt(row);
        if (isKept(entry))
            kept.append(entry);
        else
            ++toClear;
    }
    if (toClear == 0)
        return;
    if (m_settings.isExactlyOne(Setting::MsgClear)) {
        const Prompter::Answer answer = m_prompter.message(
            QStringLiteral("Clear the List except procted(P#) and another caption(N@)"),
            QStringLiteral("Confirm"), Prompter::Buttons::OkCancel);
        if (answer == Prompter::Answer::Cancel)
            return;
    }
    m_model.replaceEntries(std::move(kept));
    m_selection.clear();
    setLastClipText(QString());
    m_clipboard.clear();
    notifyListChanged();
}

void ListCommands::toggleProtect()
{
    for (const int row : RowSelection::selectedRows(&m_selection)) {
        TextEntry entry = m_model.entryAt(row);
        // Only 1 counts as protected here, so a hand-edited 2 becomes 1.
        entry.protectFlag = entry.protectFlag == 1 ? 0 : 1;
        m_model.setEntryAt(row, entry);
    }
}

void ListCommands::editCaption()
{
    if (warnIfSeveralSelected())
        return;
    const int row = topSelectedRow();
    if (row < 0)
        return;
    TextEntry entry = m_model.entryAt(row);
    const std::optional<QString> caption =
        m_prompter.caption(entry.text.left(kCaptionDialogTextUnits), entry.caption);
    if (!caption)
        return;
    if (isBlank(*caption)) {
        entry.caption.clear();
        entry.namedFlag = 0;
    } else {
        entry.caption = *caption;
        entry.namedFlag = 1;
    }
    m_model.setEntryAt(row, entry);
}

void ListCommands::moveSelected(Direction direction)
{
    // Visiting the rows against the direction of the move makes every run of
    // selected rows move by one, the unselected neighbour passing to its other
    // side; the first selected row met is the one nearest the edge.
    const int n = m_model.count();
    if (direction == Direction::Up) {
        for (int row = 0; row < n; ++row) {
            if (!RowSelection::isSelected(&m_selection, row))
                continue;
            if (row == 0)
                return;
            swapRows(row - 1, row);
        }
    } else {
        for (int row = n - 1; row >= 0; --row) {
            if (!RowSelection::isSelected(&m_selection, row))
                continue;
            if (row == n - 1)
                return;
            swapRows(row, row + 1);
        }
    }
}

void ListCommands::copySelectedText()
{
    QString joined;
    for (const int row : RowSelection::selectedRows(&m_selection)) {
        const QString &text = m_model.entryAt(row).text;
        if (joined.isEmpty())
            joined = text;
        else
            joined += QLatin1String("\r\n") + text;
    }
    if (isBlank(joined))
        return;
    // Set first, so the monitor does not take the joined text in as a new entry.
    setLastClipText(joined);
    putOnClipboard(joined);
}

bool ListCommands::warnIfSeveralSelected()
{
    if (RowSelection::selectedCount(&m_selection) < 2)
        return false;
    m_prompter.message(QStringLiteral("select One text in the list."), QStringLiteral("Warning"),
                       Prompter::Buttons::Ok);
    return true;
}

int ListCommands::topSelectedRow() const
{
    const QList<int> rows = RowSelection::selectedRows(&m_selection);
    return rows.isEmpty() ? -1 : rows.first();
}

void ListCommands::swapRows(int a, int b)
{
    const bool aSelected = RowSelection::isSelected(&m_selection, a);
    const bool bSelected = RowSelection::isSelected(&m_selection, b);
    m_model.swapRows(a, b);
    if (aSelected != bSelected) {
        RowSelection::setSelected(&m_selection, a, bSelected);
        RowSelection::setSelected(&m_selection, b, aSelected);
    }
}

void ListCommands::notifyListChanged()
{
    if (m_hooks.listChanged)
        m_hooks.listChanged();
}

QString ListCommands::lastClipText() const
{
    return m_hooks.lastClipText ? m_hooks.lastClipText() : QString();
}

void ListCommands::setLastClipText(const QString &text)
{
    if (m_hooks.setLastClipText)
        m_hooks.setLastClipText(text);
}

void ListCommands::putOnClipboard(const QString &text)
{
    m_clipboard.clear();
    m_clipboard.setText(text);
}
