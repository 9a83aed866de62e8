#pragma once

#include "countdownclock.h"
#include "question.h"

#include <QString>
#include <QtGlobal>

#include <limits>

// The game's counters are 16-bit; they stop at the top instead of wrapping
// (a pupil cannot get near it in 15 minutes, but a wrap would show nonsense).
inline qint16 saturatingIncrement(qint16 value)
{
    return value == std::numeric_limits<qint16>::max() ? value : static_cast<qint16>(value + 1);
}

inline qint16 saturatingSum(qint16 a, qint16 b)
{
    const int sum = int(a) + int(b);
    return static_cast<qint16>(qMin(sum, int(std::numeric_limits<qint16>::max())));
}

// Everything one game knows; one lives as long as the program, across new games.
struct GameState
{
    QString playerName;
    qint16 rightCount = 0;
    qint16 wrongCount = 0;
    qint16 questionsAsked = 0; // not reset by a new game
    CountdownClock clock;
    QString recordScoreText; // the score file's content, as shown
    QString recordNameText;  // the name file's content, as shown
    Question current;
};
