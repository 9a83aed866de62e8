#include "question.h"

#include "gamestate.h"
#include "randomsource.h"
#include "weightunit.h"

#include <charconv>

QString formatAnswerValue(double value, QChar decimalSeparator)
{
    // std::to_chars ignores the C locale (which QCoreApplication sets from the
    // environment), and its general format with precision 15 is the rule we
    // want: 15 significant digits, so 3 x 0.1 reads 0,3; exponent form below
    // 0.0001 and from 10^15 up; trailing zeros dropped; exponent of two digits or more.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

Question makeQuestion(int source, int target, int quantity, QChar decimalSeparator)
{
    Question q;
    q.source = static_cast<qint16>(source);
    q.target = static_cast<qint16>(target);
    q.quantity = static_cast<qint16>(quantity);
    // Powers of 0.1 rather than divisions by powers of ten: the value keeps its
    // floating-point error (0.30000000000000004) and the 15-digit text hides it.
    // Each power is the double nearest to the exact power of the double 0.1,
    // as a correctly rounded pow() gives it; MinGW's pow() is an ulp or two
    // off, which the 15 digits show (9 mg in Kg: 9,00000000000001E-06).
    static constexpr double powersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    static constexpr double powersOfTenth[] = {1,
                                               0.1,
                                               0.010000000000000002,
                                               0.0010000000000000002,
                                               0.00010000000000000002,
                                               1.0000000000000003e-05,
                                               1.0000000000000004e-06};
    if (source > target)
        q.value = powersOfTen[source - target] * quantity;
    else
        q.value = powersOfTenth[target - source] * quantity;
    q.answerText = formatAnswerValue(q.value, decimalSeparator);
    return q;
}

namespace {
// A whole number from 1 to `count`, from a draw in [0, 1).
int drawOneTo(RandomSource &random, int count)
{
    return static_cast<int>(random.next() * count + 1);
}
} // namespace

Question drawQuestion(RandomSource &random, qint16 &questionsAsked, QChar decimalSeparator)
{
    questionsAsked = saturatingIncrement(questionsAsked);
    random.reseed();
    int source = 0;
    int target = 0;
    do {
        source = drawOneTo(random, unitCount);
        target = drawOneTo(random, unitCount);
    } while (source == target);
    const int quantity = drawOneTo(random, 20);
    return makeQuestion(source, target, quantity, decimalSeparator);
}

Tint drawTint(RandomSource &random)
{
    random.reseed();
    Tint tint;
    do {
        tint.redFactor = static_cast<int>(random.next() * 10);
    } while (tint.redFactor == 0);
    tint.greenFactor = static_cast<int>(random.next() * 10);
    return tint;
}

QString spokenQuestion(const Question &question)
{
    const WeightUnit &source = weightUnit(question.source);
    const WeightUnit &target = weightUnit(question.target);
    return QStringLiteral("%1 %2, quanti %3?")
        .arg(QString::number(question.quantity),
             QString::fromLatin1(question.quantity == 1 ? source.name : source.names),
             QString::fromLatin1(target.names));
}
