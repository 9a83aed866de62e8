#pragma once

#include <QString>

struct GameState;

// What one checked answer leads to.
struct CheckResult
{
    bool counted = false; // false when the question was judged already: nothing changed
    bool right = false;
    QString message;              // the verdict, with the right answer after a wrong one
    QString rightText;            // right answers so far, as shown
    QString wrongText;            // wrong answers so far, as shown
    QString totalText;            // answers so far, as shown
    bool blankBackground = false; // a wrong answer turns the background black
};

// Exact, case-sensitive comparison of the typed text with the expected text:
// no trimming and no reading as a number, so "5000 " and "5.000" are wrong.
// Only the first answer to the current question counts; later ones, the
// same or another, change nothing (the verdict showed the right answer).
CheckResult checkAnswer(GameState &state, const QString &typed, const QString &expected);
