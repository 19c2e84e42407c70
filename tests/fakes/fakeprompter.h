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
    };

    Answer message(const QString &text, const QString &title, Buttons buttons) override
    {
        messages.append({text, title});
        return buttons == Buttons::Ok ? Answer::Ok : take(messageAnswers, u"message: " + text);
    }
    std::optional<QString> editText(const QString &text, const QFont &font) override
    {
        editTextAsked.append(text);
        lastFont = font;
        return take(editTextAnswers, QStringLiteral("editText"));
    }
    std::optional<QString> caption(const QString &shownText, const QString &current) override
    {
        captionAsked.append({shownText, current});
        return take(captionAnswers, QStringLiteral("caption"));
    }
    std::optional<QString> groupName(const QString &name) override
    {
        groupNameAsked.append(name);
        return take(groupNameAnswers, QStringLiteral("groupName"));
    }
    std::optional<QFont> chooseFont(const QFont &) override
    {
        return take(fontAnswers, QStringLiteral("chooseFont"));
    }
    bool setup() override { return take(setupAnswers, QStringLiteral("setup")); }
    bool groupOrder() override { return take(groupOrderAnswers, QStringLiteral("groupOrder")); }
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
    // Without a scripted answer: OK or false.
    template<typename T> T take(std::deque<T> &answers, const QString &what)
    {
        static_assert(Answer{} == Answer::Ok);
        const T answer = answers.empty() ? T{} : answers.front();
        if (answers.empty())
            unexpected.append(what);
        else
            answers.pop_front();
        return answer;
    }
    // Without a scripted answer: nullopt. No std::optional<QString> is copied or
    // held in a local here: GCC 12's optimiser reports the empty one's payload as
    // "maybe used uninitialized". Every result is made in place from a value.
    template<typename T>
    std::optional<T> take(std::deque<std::optional<T>> &answers, const QString &what)
    {
        const bool has = !answers.empty() && answers.front().has_value();
        const T value = has ? *answers.front() : T();
        if (answers.empty())
            unexpected.append(what);
        else
            answers.pop_front();
        return has ? std::optional<T>(value) : std::nullopt;
    }
};
