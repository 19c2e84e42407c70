#pragma once

#include "ui/dialogs/prompter.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

// Answers every message box and dialog from a script and records what was asked,
// so commands can be tested without a screen. An unscripted question fails the
// test through the `unexpected` list rather than blocking.
class FakePrompter : public Prompter
{
public:
    struct Message
    {
        QString text;
        QString title;
        Buttons buttons;
        Icon icon;
    };

    Answer message(const QString &text, const QString &title, Buttons buttons, Icon icon) override
    {
        messages.append({text, title, buttons, icon});
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return take(messageAnswers, Answer::Ok, QStringLiteral("message: ") + text);
    }
    std::optional<QString> editText(const QString &text, const QFont &font) override
    {
        editTextAsked.append(text);
        lastFont = font;
        return take(editTextAnswers, std::optional<QString>(), QStringLiteral("editText"));
    }
    std::optional<QString> caption(const QString &shownText, const QString &current) override
    {
        captionAsked.append({shownText, current});
        return take(captionAnswers, std::optional<QString>(), QStringLiteral("caption"));
    }
    std::optional<QString> groupName(const QString &name) override
    {
        groupNameAsked.append(name);
        return take(groupNameAnswers, std::optional<QString>(), QStringLiteral("groupName"));
    }
    std::optional<QFont> chooseFont(const QFont &current) override
    {
        lastFont = current;
        return take(fontAnswers, std::optional<QFont>(), QStringLiteral("chooseFont"));
    }
    bool setup() override { return take(setupAnswers, false, QStringLiteral("setup")); }
    bool groupOrder() override
    {
        return take(groupOrderAnswers, false, QStringLiteral("groupOrder"));
    }
    void groupCopy(qint32 currentGroupNo) override
    {
        if (onGroupCopy)
            onGroupCopy(currentGroupNo);
    }
    void about() override {}

    // Scripted answers, taken front first.
    std::deque<Answer> messageAnswers;
    std::deque<std::optional<QString>> editTextAnswers;
    std::deque<std::optional<QString>> captionAnswers;
    std::deque<std::optional<QString>> groupNameAnswers;
    std::deque<std::optional<QFont>> fontAnswers;
    std::deque<bool> setupAnswers;
    std::deque<bool> groupOrderAnswers;
    std::function<void(qint32)> onGroupCopy;

    // What was asked.
    QList<Message> messages;
    QList<QString> editTextAsked;
    QList<std::pair<QString, QString>> captionAsked;
    QList<QString> groupNameAsked;
    QFont lastFont;
    QList<QString> unexpected; // questions asked with no scripted answer

private:
    template<typename T> T take(std::deque<T> &answers, T fallback, const QString &what)
    {
        if (answers.empty()) {
            unexpected.append(what);
            return fallback;
        }
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
