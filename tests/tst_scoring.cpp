#include "answercheck.h"
#include "gamestate.h"
#include "question.h"

#include <QtTest>

class TstScoring : public QObject
{
    Q_OBJECT

private slots:
    void verdict_data();
    void verdict();
    void countersAndTotal();
    void questionScoresOnce();
    void countersStopAtTop();
};

void TstScoring::verdict_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("right");
    // clang-format off
    QTest::newRow("exact") << "5000" << "5000" << true;
    QTest::newRow("exponent form") << "1,7E-05" << "1,7E-05" << true;
    QTest::newRow("trailing blank") << "5000 " << "5000" << false;
    QTest::newRow("leading blank") << " 5000" << "5000" << false;
    QTest::newRow("grouped") << "5.000" << "5000" << false;
    QTest::newRow("needless decimals") << "5000,0" << "5000" << false;
    QTest::newRow("point for comma") << "0.07" << "0,07" << false;
    QTest::newRow("plain for exponent") << "0,00001" << "1E-05" << false;
    QTest::newRow("lower-case exponent") << "1e-05" << "1E-05" << false;
    QTest::newRow("empty box") << "" << "0,3" << false;
    // clang-format on
}

// Exact, case-sensitive text comparison; the feedback names the expected text when wrong.
void TstScoring::verdict()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(bool, right);
    GameState state;
    const CheckResult result = checkAnswer(state, typed, expected);
    QCOMPARE(result.right, right);
    QCOMPARE(result.blankBackground, !right);
    QCOMPARE(result.message,
             right ? QStringLiteral("Esatto, è incredibile!!!") : QStringLiteral("Sbagliato!! ") + expected);
    QCOMPARE(result.rightText, right ? QStringLiteral("1") : QStringLiteral("0"));
    QCOMPARE(result.wrongText, right ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(result.totalText, QStringLiteral("1"));
}

// Right and wrong answers count separately; the total is their sum.
void TstScoring::countersAndTotal()
{
    GameState state;
    const QStringList typed {"30", "3", "30", "30", "0,3"};
    CheckResult result;
    for (const QString &answer : typed) {
        state.current = Question();
        result = checkAnswer(state, answer, QStringLiteral("30"));
    }
    QCOMPARE(state.rightCount, qint16(3));
    QCOMPARE(state.wrongCount, qint16(2));
    QCOMPARE(result.rightText, QStringLiteral("3"));
    QCOMPARE(result.wrongText, QStringLiteral("2"));
    QCOMPARE(result.totalText, QStringLiteral("5"));
}

// A question scores once, whatever is typed after its verdict; the next one scores again.
void TstScoring::questionScoresOnce()
{
    GameState state;
    QVERIFY(checkAnswer(state, QStringLiteral("0,07"), QStringLiteral("0,07")).counted);
    for (const QString &typed : {QStringLiteral("0,07"), QStringLiteral("7")}) {
        const CheckResult again = checkAnswer(state, typed, QStringLiteral("0,07"));
        QVERIFY(!again.counted);
        QCOMPARE(state.rightCount, qint16(1));
        QCOMPARE(state.wrongCount, qint16(0));
    }
    state.current = Question();
    QCOMPARE(checkAnswer(state, QStringLiteral("7"), QStringLiteral("0,07")).totalText, QStringLiteral("2"));
}

// 16-bit counters and their total stop at 32767 rather than overflow.
void TstScoring::countersStopAtTop()
{
    GameState state;
    state.rightCount = 32767;
    state.wrongCount = 32766;
    CheckResult result = checkAnswer(state, QStringLiteral("1"), QStringLiteral("1"));
    QCOMPARE(result.rightText, QStringLiteral("32767"));
    QCOMPARE(result.totalText, QStringLiteral("32767"));
    for (int k = 0; k < 2; ++k) {
        state.current = Question();
        result = checkAnswer(state, QStringLiteral("2"), QStringLiteral("1"));
    }
    QCOMPARE(result.wrongText, QStringLiteral("32767"));
    QCOMPARE(result.totalText, QStringLiteral("32767"));
}

QTEST_GUILESS_MAIN(TstScoring)
#include "tst_scoring.moc"
