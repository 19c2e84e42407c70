#include "capture/clipboardmonitor.h"

#include "capture/capturelog.h"

#include "platform/clipboard.h"
#include "settings/inifile.h"
#include "settings/number.h"
#include "settings/settingskeys.h"
#include "store/textlistmodel.h"

#include <QFile>
#include <QFileInfo>

namespace {

void call(const std::function<void()> &hook)
{
    if (hook)
        hook();
}

// Equal texts that share their characters need no comparison; a clipboard
// that is read every tick often hands back the same string.
bool sameText(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    return a.constData() == b.constData() || a == b;
}

} // namespace

ClipboardMonitor::ClipboardMonitor(ClipboardAccess &clipboard, TextListModel &model,
                                   QItemSelectionModel &selection, QString rexFilePath, Hooks hooks)
    : m_clipboard(clipboard)
    , m_model(model)
    , m_selection(selection)
    , m_rexFilePath(std::move(rexFilePath))
    , m_hooks(std::move(hooks))
{}

void ClipboardMonitor::setLastClipText(const QString &text)
{
    m_lastClipText = text;
    m_pending = true;
}

void ClipboardMonitor::resetForGroupLoad()
{
    setLastClipText(QString());
}

bool ClipboardMonitor::answerReExecuteRequest()
{
    if (m_rexFilePath.isEmpty() || !QFileInfo::exists(m_rexFilePath))
        return false;
    const QString really = trimBlanks(IniFile::read(m_rexFilePath, Setting::ReExecuteReally.section,
                                                    Setting::ReExecuteReally.key));
    if (really == QLatin1String("Yes"))
        call(m_hooks.showWindow);
    QFile::remove(m_rexFilePath);
    return true;
}

void ClipboardMonitor::refreshClipboardText()
{
    const bool notifies = m_clipboard.notifiesChanges();
    const quint64 changes = m_clipboard.changeCount();
    if (notifies && m_clipRead && changes == m_clipChangeCount)
        return;
    // The count is taken before the read, so a change during the read is read next time.
    m_clipChangeCount = changes;
    m_clipRead = true;
    ClipboardAccess::Content content = m_clipboard.read();
    if (content.secret) {
        // A password manager's text is neither read nor kept.
        m_clipText.clear();
        m_clipSecret = true;
        m_pending = false;
        return;
    }
    if (m_clipSecret || !sameText(content.text, m_clipText))
        m_pending = true;
    m_clipSecret = false;
    m_clipText = std::move(content.text);
}

void ClipboardMonitor::capture()
{
    refreshClipboardText();
    if (!m_pending)
        return;
    m_pending = false;
    if (m_clipSecret || isBlank(m_clipText) || sameText(m_clipText, m_lastClipText))
        return;
    takeIn(m_clipText);
}

void ClipboardMonitor::takeIn(const QString &text)
{
    m_lastClipText = text;
    m_history.add(text);

    const int found = m_model.findText(text);
    if (found >= 0) {
        qCInfo(lcCapture, "captured %lld characters: already in row %d",
               static_cast<long long>(text.size()), found);
        RowSelection::selectOnly(&m_selection, found);
        call(m_hooks.listChanged);
        return;
    }
    // A full list drops the text silently; it stays in the history and in
    // lastClipText, so it is not tried again until another text was seen.
    if (m_model.count() >= kMaxListRows) {
        qCInfo(lcCapture, "captured %lld characters: the list is full",
               static_cast<long long>(text.size()));
        return;
    }
    TextEntry entry;
    entry.text = text;
    const int row = m_model.appendEntry(entry);
    qCInfo(lcCapture, "captured %lld characters: new row %d", static_cast<long long>(text.size()),
           row);
    RowSelection::selectOnly(&m_selection, row);
    call(m_hooks.listChanged);
}
