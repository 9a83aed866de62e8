#pragma once

// A hand-written stand-in for the window's boxes.

#include "dialogs.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>

// Answers modal boxes from queues and records every box it was asked to show.
// An unqueued question gets the empty text or No.
class ScriptedDialogs : public Dialogs
{
public:
    enum Kind { AskText, Inform, AskYesNo };

    struct Call
    {
        Kind kind;
        QString title;
        QString text;
    };

    std::deque<QString> textAnswers;
    std::deque<bool> yesNoAnswers;
    QList<Call> calls;
    // Runs while the box would be open, after the call is recorded.
    std::function<void(const Call &)> whileOpen;

    QString askText(QWidget *, const QString &title, const QString &prompt) override
    {
        record(AskText, title, prompt);
        return take(textAnswers, QString());
    }

    void inform(QWidget *, const QString &title, const QString &text) override { record(Inform, title, text); }

    bool askYesNo(QWidget *, const QString &title, const QString &text) override
    {
        record(AskYesNo, title, text);
        return take(yesNoAnswers, false);
    }

private:
    void record(Kind kind, const QString &title, const QString &text)
    {
        calls.append({kind, title, text});
        if (whileOpen)
            whileOpen(calls.last());
    }

    template<typename T>
    static T take(std::deque<T> &queue, T fallback)
    {
        if (queue.empty())
            return fallback;
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};
