#include "countdownpace.h"

#include <QGuiApplication>

void CountdownPace::restart()
{
    m_clock.start();
    m_counted = 0;
}

int CountdownPace::secondsDue()
{
    if (!m_clock.isValid())
        return 1;
    // A page runs one box at a time (asyncify): the end of the time, which
    // opens the farewell, waits for the box that is open to close, and the
    // seconds are counted then.
    if (QGuiApplication::modalWindow())
        return 0;
    // A tick that comes a little early counts nothing; the next makes up for it.
    const qint64 due = m_clock.elapsed() / 1000 - m_counted;
    m_counted += due;
    return int(due);
}
