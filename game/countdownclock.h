#pragma once

#include <QString>
#include <QtGlobal>

// The game's 15 minutes. The end is read off the shown text before the clock
// advances, so "00:00:00" stays up for one whole tick before time is over.
class CountdownClock
{
public:
    enum class Tick { Advanced, TimeOver };

    // 00:15:00 with 900 seconds left; ticks are to come once a second from now.
    void StartCountdown();

    // One second: TimeOver when the display already reads "00:00:00",
    // otherwise the clock steps back one second.
    Tick tick();

    QString displayText() const; // hh:mm:ss, each at least two digits

    qint16 hours() const { return m_hours; }
    qint16 minutes() const { return m_minutes; }
    float seconds() const { return m_seconds; }
    qint16 secondsLeft() const { return m_secondsLeft; }

    // Sets the fields as they are; for clocks StartCountdown cannot make (01:00:00).
    void setFields(qint16 hours, qint16 minutes, float seconds, qint16 secondsLeft);

private:
    qint16 m_hours = 0;
    qint16 m_minutes = 0;
    float m_seconds = 0; // only ever holds whole values
    qint16 m_secondsLeft = 0;
};
