#include "gamestate.h"
#include "question.h"
#include "scriptedrandom.h"
#include "weightunit.h"

#include <QtTest>

#include <set>

namespace {

const QChar comma(u',');

// quantity x 10^power written out digit by digit, without any floating point:
// plain below 10^15 and from 0.0001 up, otherwise the exponent form (1,7E-05).
QString expectedText(int quantity, int power)
{
    QString digits = QString::number(quantity);
    const int exponent = int(digits.size()) - 1 + power; // of the leading digit
    while (digits.endsWith(u'0'))
        digits.chop(1);
    if (exponent < -4) {
        QString mantissa = digits.left(1);
        if (digits.size() > 1)
            mantissa += comma + digits.mid(1);
        return mantissa + QStringLiteral("E-%1").arg(-exponent, 2, 10, QLatin1Char('0'));
    }
    const int pointAt = exponent + 1; // digits before the separator
    if (pointAt >= digits.size())
        return digits + QString(pointAt - digits.size(), u'0');
    if (pointAt <= 0)
        return QStringLiteral("0") + comma + QString(-pointAt, u'0') + digits;
    return digits.left(pointAt) + comma + digits.mid(pointAt);
}

} // namespace

class TstQuestions : public QObject
{
    Q_OBJECT

private slots:
    void unitTable_data();
    void unitTable();
    void spokenQuestion_data();
    void spokenQuestion();
    void everyQuestion_data();
    void everyQuestion();
    void exactlyThirtyEightInExponentForm();
    void specimenQuestions_data();
    void specimenQuestions();
    void formatting_data();
    void formatting();
    void drawsCoverEveryPairAndQuantity();
    void drawRetriesEqualUnits();
    void questionCounterStopsAtTop();
    void tintRange();
    void tintRedrawsZeroRed();
    void clockSourceDiffersWithinTheSameSecond();
};

void TstQuestions::unitTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<int>("exponent");
    QTest::addColumn<int>("row");
    QTest::newRow("mg") << 1 << "mg" << -3 << 6;
    QTest::newRow("cg") << 2 << "cg" << -2 << 5;
    QTest::newRow("dg") << 3 << "dg" << -1 << 4;
    QTest::newRow("g") << 4 << "g" << 0 << 3;
    QTest::newRow("dag") << 5 << "dag" << 1 << 2;
    QTest::newRow("hg") << 6 << "hg" << 2 << 1;
    QTest::newRow("Kg") << 7 << "Kg" << 3 << 0; // capital K, as the pupils write it
}

// The seven units in order, with their window rows (kilogram on top).
void TstQuestions::unitTable()
{
    QFETCH(int, index);
    QCOMPARE(weightUnit(index).index, index);
    QFETCH(QString, symbol);
    QCOMPARE(unitSymbol(index), symbol);
    QFETCH(int, exponent);
    QCOMPARE(weightUnit(index).exponent, exponent);
    QFETCH(int, row);
    QCOMPARE(equivalenceRow(index), row);
}

void TstQuestions::spokenQuestion_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("quantity");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("one") << 4 << 1 << 1 << "1 grammo, quanti milligrammi?";
    QTest::newRow("many") << 1 << 4 << 16 << "16 milligrammi, quanti grammi?";
    QTest::newRow("Kg to hg") << 7 << 6 << 2 << "2 chilogrammi, quanti ettogrammi?";
}

// A question read aloud: the quantity's unit in the singular for 1 only, the target always plural.
void TstQuestions::spokenQuestion()
{
    QFETCH(int, source);
    QFETCH(int, target);
    QFETCH(int, quantity);
    QFETCH(QString, spoken);
    QCOMPARE(::spokenQuestion(makeQuestion(source, target, quantity, comma)), spoken);
}

void TstQuestions::everyQuestion_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("quantity");
    QTest::addColumn<QString>("expected");
    for (int source = 1; source <= unitCount; ++source)
        for (int target = 1; target <= unitCount; ++target)
            for (int quantity = 1; quantity <= 20 && source != target; ++quantity)
                QTest::addRow("%d %s in %s", quantity, weightUnits()[source - 1].symbol,
                              weightUnits()[target - 1].symbol)
                    << source << target << quantity << expectedText(quantity, source - target);
}

// Every one of the 840 questions expects exactly quantity x 10^(source - target).
void TstQuestions::everyQuestion()
{
    QFETCH(int, source);
    QFETCH(int, target);
    QFETCH(int, quantity);
    QFETCH(QString, expected);
    const Question q = makeQuestion(source, target, quantity, comma);
    QCOMPARE(q.answerText, expected);
    QCOMPARE(q.source, source);
    QCOMPARE(q.target, target);
    QCOMPARE(q.quantity, quantity);
    QVERIFY(!q.answerText.contains(u'.')); // never a grouping separator
}

// The questions whose answers only the exponent form can be typed for.
void TstQuestions::exactlyThirtyEightInExponentForm()
{
    int total = 0;
    int exponentForm = 0;
    for (int source = 1; source <= unitCount; ++source)
        for (int target = 1; target <= unitCount; ++target)
            for (int quantity = 1; quantity <= 20 && source != target; ++quantity) {
                ++total;
                if (makeQuestion(source, target, quantity, comma).answerText.contains(u'E'))
                    ++exponentForm;
            }
    QCOMPARE(total, 840);
    QCOMPARE(exponentForm, 38);
}

void TstQuestions::specimenQuestions_data()
{
    QTest::addColumn<int>("quantity");
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("target");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("5 Kg in g") << 5 << 7 << 4 << 5000.0 << "5000";
    QTest::newRow("3 dag in hg") << 3 << 5 << 6 << 0.30000000000000004 << "0,3";
    QTest::newRow("7 mg in dg") << 7 << 1 << 3 << 0.07 << "0,07";
    QTest::newRow("20 Kg in mg") << 20 << 7 << 1 << 20000000.0 << "20000000";
    QTest::newRow("1 mg in Kg") << 1 << 1 << 7 << 1.0000000000000004E-06 << "1E-06";
    QTest::newRow("10 mg in hg") << 10 << 1 << 6 << 0.00010000000000000002 << "0,0001";
    QTest::newRow("9 mg in hg") << 9 << 1 << 6 << 9.000000000000002E-05 << "9E-05";
    QTest::newRow("17 mg in Kg") << 17 << 1 << 7 << 1.7000000000000006E-05 << "1,7E-05";
    QTest::newRow("3 hg in dag") << 3 << 6 << 5 << 30.0 << "30";
}

// The value keeps the floating-point error of powers of 0.1; the text hides it.
void TstQuestions::specimenQuestions()
{
    QFETCH(int, quantity);
    QFETCH(int, source);
    QFETCH(int, target);
    const Question q = makeQuestion(source, target, quantity, comma);
    QFETCH(double, value);
    QCOMPARE(q.value, value);
    QFETCH(QString, text);
    QCOMPARE(q.answerText, text);
}

void TstQuestions::formatting_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 5000.0 << comma << "5000";
    QTest::newRow("point locale") << 0.07 << QChar(u'.') << "0.07";
    QTest::newRow("lowest plain") << 0.0001 << comma << "0,0001";
    QTest::newRow("just below plain") << 0.00009999 << comma << "9,999E-05";
    QTest::newRow("largest plain") << 999999999999999.0 << comma << "999999999999999";
    QTest::newRow("10^15") << 1e15 << comma << "1E+15";
    QTest::newRow("rounds at 15 digits") << 0.1234567890123456 << comma << "0,123456789012346";
    QTest::newRow("rounds up into exponent form") << 999999999999999.9 << comma << "1E+15";
    QTest::newRow("three-digit exponent") << 1e-100 << comma << "1E-100";
}

// The general number format: 15 significant digits, no grouping, exponent outside [0.0001, 10^15).
void TstQuestions::formatting()
{
    QFETCH(double, value);
    QFETCH(QChar, separator);
    QFETCH(QString, text);
    QCOMPARE(formatAnswerValue(value, separator), text);
}

// Draws never pair a unit with itself, reach all 42 pairs and keep the quantity in 1..20.
void TstQuestions::drawsCoverEveryPairAndQuantity()
{
    SeededRandom random(20261208);
    qint16 asked = 0;
    std::set<std::pair<int, int>> pairs;
    std::set<int> quantities;
    const int draws = 4000;
    for (int i = 0; i < draws; ++i) {
        const Question q = drawQuestion(random, asked, comma);
        QVERIFY(q.source != q.target);
        QVERIFY(q.source >= 1 && q.source <= 7);
        QVERIFY(q.target >= 1 && q.target <= 7);
        QVERIFY(q.quantity >= 1 && q.quantity <= 20);
        QCOMPARE(q.answerText, makeQuestion(q.source, q.target, q.quantity, comma).answerText);
        pairs.insert({q.source, q.target});
        quantities.insert(q.quantity);
    }
    QCOMPARE(int(pairs.size()), 42);
    QCOMPARE(int(quantities.size()), 20);
    QCOMPARE(int(asked), draws);
    QCOMPARE(random.reseeds, draws); // reseeded before every question
}

// Equal units are drawn again, both of them; the extreme draws map to Kg, mg and 20.
void TstQuestions::drawRetriesEqualUnits()
{
    ScriptedRandom random;
    random.draws = {0.5, 0.5, 0.0, 0.0, 0.99999999, 0.0, 0.99999999};
    qint16 asked = 0;
    const Question q = drawQuestion(random, asked, comma);
    QCOMPARE(int(q.source), 7);
    QCOMPARE(int(q.target), 1);
    QCOMPARE(int(q.quantity), 20);
    QCOMPARE(q.answerText, QStringLiteral("20000000"));
    QVERIFY(random.draws.empty());
    QCOMPARE(random.reseeds, 1);
}

// The 16-bit question count stops at its top instead of overflowing.
void TstQuestions::questionCounterStopsAtTop()
{
    SeededRandom random(1);
    qint16 asked = 32766;
    drawQuestion(random, asked, comma);
    QCOMPARE(int(asked), 32767);
    drawQuestion(random, asked, comma);
    QCOMPARE(int(asked), 32767);
}

// Red 1..9 and green 0..9, every value reachable.
void TstQuestions::tintRange()
{
    SeededRandom random(7);
    std::set<int> reds, greens;
    for (int i = 0; i < 2000; ++i) {
        const Tint tint = drawTint(random);
        QVERIFY(tint.redFactor >= 1 && tint.redFactor <= 9);
        QVERIFY(tint.greenFactor >= 0 && tint.greenFactor <= 9);
        reds.insert(tint.redFactor);
        greens.insert(tint.greenFactor);
    }
    QCOMPARE(int(reds.size()), 9);
    QCOMPARE(int(greens.size()), 10);
}

// A red factor of 0 is drawn again; green may be 0.
void TstQuestions::tintRedrawsZeroRed()
{
    ScriptedRandom random;
    random.draws = {0.05, 0.0, 0.35, 0.0};
    const Tint tint = drawTint(random);
    QCOMPARE(tint.redFactor, 3);
    QCOMPARE(tint.greenFactor, 0);
    QVERIFY(random.draws.empty());
    QCOMPARE(random.reseeds, 1);
}

// Reseeding from a high-resolution clock: two back-to-back reseeds give different draws.
void TstQuestions::clockSourceDiffersWithinTheSameSecond()
{
    ClockRandomSource random;
    std::set<double> firstDraws;
    for (int i = 0; i < 20; ++i) {
        random.reseed();
        const double r = random.next();
        QVERIFY(r >= 0.0 && r < 1.0);
        firstDraws.insert(r);
    }
    QVERIFY2(firstDraws.size() > 15, "reseeds within one second repeat their draws");
}

QTEST_GUILESS_MAIN(TstQuestions)
#include "tst_questions.moc"
