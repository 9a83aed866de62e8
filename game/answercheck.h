#pragma once

#include <QString>

struct GameState;

// What one press of Enter in the answer box leads to.
struct CheckResult
{
    bool right = false;
    QString message;    // for lblMessage
    QString rightText;  // for lblScore
    QString wrongText;  // for lblScore1
    QString totalText;  // for lblScore2
    bool blankBackground = false; // a wrong answer turns the background black
};

// Exact, case-sensitive comparison of the typed text with the expected text:
// no trimming and no reading as a number, so "5000 " and "5.000" are wrong.
CheckResult checkAnswer(GameState &state, const QString &typed, const QString &expected);
