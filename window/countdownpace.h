#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// How many seconds of the countdown each tick of its one-second timer stands
// for. On the desktop one: the timer's ticks are the game's seconds. A
// browser slows the timers of a tab in the background, down to once a
// minute; there each tick stands for the seconds the real clock has counted
// since the countdown began that no tick has counted yet, so that a game
// still ends 15 minutes after it began (countdownpace_web.cpp).
class CountdownPace
{
public:
    void restart(); // the countdown begins now

    // Seconds to count at this tick; before restart(), one.
    int secondsDue();

private:
    QElapsedTimer m_clock;
    qint64 m_counted = 0;
};
