#pragma once

#include "ui/dialogs/prompter.h"

#include "platform/paths.h"
#include "settings/settingskeys.h"

#include <functional>

class ClipboardAccess;
class QWidget;

// The prompter of the running program: real message boxes and dialogs, owned by
// the main window and kept above other windows while it is.
class WidgetPrompter : public Prompter
{
public:
    WidgetPrompter(QWidget *owner, const AppPaths &paths, ClipboardAccess &clipboard,
                   std::function<bool()> topMost);

    Answer message(const QString &text, const QString &title, Buttons buttons) override;
    std::optional<QString> editText(const QString &text, const QFont &font) override;
    std::optional<QString> caption(const QString &shownText, const QString &caption) override;
    std::optional<QString> groupName(const QString &name) override;
    std::optional<QFont> chooseFont(const QFont &current) override;
    bool setup() override;
    bool groupOrder() override;
    void groupCopy(qint32 currentGroupNo) override;
    void about() override;

private:
    bool topMost() const { return m_topMost && m_topMost(); }

    QWidget *m_owner;
    AppPaths m_paths;
    Settings m_settings;
    ClipboardAccess &m_clipboard;
    std::function<bool()> m_topMost;
};
