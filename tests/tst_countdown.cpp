#include "countdownclock.h"
#include "datetext.h"

#include <QtTest>

class TstCountdown : public QObject
{
    Q_OBJECT

private slots:
    void start();
    void steps_data();
    void steps();
    void wholeGame();
    void restartGivesFreshQuarterHour();
    void farewellDate_data();
    void farewellDate();
};

// A fresh game shows 00:15:00 with 900 seconds left.
void TstCountdown::start()
{
    CountdownClock clock;
    clock.StartCountdown();
    QCOMPARE(clock.displayText(), QStringLiteral("00:15:00"));
    QCOMPARE(int(clock.secondsLeft()), 900);
}

void TstCountdown::steps_data()
{
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("after");
    QTest::newRow("first tick") << 0 << 15 << 0 << "00:14:59";
    QTest::newRow("mid-minute") << 0 << 9 << 8 << "00:09:07";
    QTest::newRow("last minute") << 0 << 1 << 0 << "00:00:59";
    QTest::newRow("last second") << 0 << 0 << 1 << "00:00:00";
    QTest::newRow("hour boundary") << 1 << 0 << 0 << "00:59:59";
    QTest::newRow("inside an hour") << 2 << 30 << 0 << "02:29:59";
}

// One tick steps the clock back one second, borrowing from minutes and hours.
void TstCountdown::steps()
{
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(QString, after);
    CountdownClock clock;
    clock.setFields(qint16(hours), qint16(minutes), float(seconds), 100);
    QCOMPARE(clock.tick(), CountdownClock::Tick::Advanced);
    QCOMPARE(clock.displayText(), after);
    QCOMPARE(int(clock.secondsLeft()), 99);
}

// "00:00:00" is reached on the 900th tick and stays up one tick; the 901st ends the game.
void TstCountdown::wholeGame()
{
    CountdownClock clock;
    clock.StartCountdown();
    QCOMPARE(clock.tick(), CountdownClock::Tick::Advanced);
    QCOMPARE(clock.displayText(), QStringLiteral("00:14:59"));
    QCOMPARE(int(clock.minutes()), 14);
    QCOMPARE(clock.seconds(), 59.0f);
    QCOMPARE(int(clock.secondsLeft()), 899);
    for (int tick = 2; tick <= 899; ++tick) {
        QCOMPARE(clock.tick(), CountdownClock::Tick::Advanced);
        QCOMPARE(int(clock.secondsLeft()), 900 - tick);
    }
    QCOMPARE(clock.displayText(), QStringLiteral("00:00:01"));
    QCOMPARE(clock.tick(), CountdownClock::Tick::Advanced);
    QCOMPARE(clock.displayText(), QStringLiteral("00:00:00"));
    QCOMPARE(clock.tick(), CountdownClock::Tick::TimeOver);
    QCOMPARE(int(clock.secondsLeft()), 0);
    QCOMPARE(clock.displayText(), QStringLiteral("00:00:00"));
}

// A new game starts from a quarter of an hour again, whatever was left.
void TstCountdown::restartGivesFreshQuarterHour()
{
    CountdownClock clock;
    clock.StartCountdown();
    for (int i = 0; i < 146; ++i)
        clock.tick();
    QCOMPARE(clock.displayText(), QStringLiteral("00:12:34"));
    clock.StartCountdown();
    QCOMPARE(clock.displayText(), QStringLiteral("00:15:00"));
    QCOMPARE(int(clock.secondsLeft()), 900);
}

void TstCountdown::farewellDate_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    // clang-format off
    QTest::newRow("Italian")          << QLocale(QLocale::Italian, QLocale::Italy) << "07/12/2026";
    QTest::newRow("American English") << QLocale(QLocale::English, QLocale::UnitedStates) << "12/7/2026";
    QTest::newRow("German")           << QLocale(QLocale::German, QLocale::Germany) << "07.12.2026";
    QTest::newRow("already four")     << QLocale(QLocale::English, QLocale::UnitedKingdom) << "07/12/2026";
    QTest::newRow("year first")       << QLocale(QLocale::Chinese, QLocale::China) << "2026/12/7";
    // clang-format on
}

// The farewell's date: the locale's short date, never a two-digit year.
void TstCountdown::farewellDate()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(shortDateText(QDate(2026, 12, 7), locale), expected);
}

QTEST_GUILESS_MAIN(TstCountdown)
#include "tst_countdown.moc"
