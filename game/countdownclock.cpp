#include "countdownclock.h"

void CountdownClock::StartCountdown()
{
    setFields(0, 15, 0, 900);
}

void CountdownClock::setFields(qint16 hours, qint16 minutes, float seconds, qint16 secondsLeft)
{
    m_hours = hours;
    m_minutes = minutes;
    m_seconds = seconds;
    m_secondsLeft = secondsLeft;
}

CountdownClock::Tick CountdownClock::tick()
{
    if (displayText() == QLatin1String("00:00:00"))
        return Tick::TimeOver;

    if (m_seconds == 0) {
        if (m_minutes > 0) {
            m_seconds = 60;
            --m_minutes;
        } else if (m_minutes == 0) {
            if (m_hours < 1) {
                m_hours = 0;
                m_minutes = 0;
            } else {
                m_minutes = 59;
                --m_hours;
                m_seconds = 60;
            }
        }
    }
    m_seconds -= 1;
    --m_secondsLeft;
    return Tick::Advanced;
}

QString CountdownClock::displayText() const
{
    const auto twoDigits = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return twoDigits(m_hours) + QLatin1Char(':') + twoDigits(m_minutes) + QLatin1Char(':')
        + twoDigits(static_cast<int>(m_seconds));
}
