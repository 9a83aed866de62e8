#pragma once

// Hand-written stand-ins for the window's collaborators.

#include "dialogs.h"
#include "randomsource.h"

#include <QList>
#include <QString>
#include <QtGlobal>

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

// Hands out queued draws in order. Running out is a fault of the test, and a
// silent default could send a redraw loop spinning, so it stops the run.
class ScriptedRandom : public RandomSource
{
public:
    std::deque<double> draws;
    int reseeds = 0;

    void reseed() override { ++reseeds; }

    // The five draws of one new question: the tint, then the units and the
    // quantity, each as the middle of the draw range that gives it.
    void queueQuestion(int redFactor, int greenFactor, int source, int target, int quantity)
    {
        for (double draw : {(redFactor + 0.5) / 10, (greenFactor + 0.5) / 10, (source - 0.5) / 7,
                            (target - 0.5) / 7, (quantity - 0.5) / 20})
            draws.push_back(draw);
    }

    double next() override
    {
        if (draws.empty())
            qFatal("ScriptedRandom: no draw left");
        const double r = draws.front();
        draws.pop_front();
        return r;
    }
};
