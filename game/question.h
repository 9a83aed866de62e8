#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

class RandomSource;

// One conversion to do: quantity in the source unit, to be written in the target unit.
struct Question
{
    qint16 source = 0;   // unit index 1..7
    qint16 target = 0;   // unit index 1..7, never equal to source
    qint16 quantity = 0; // 1..20
    double value = 0.0;  // the expected answer, with the usual floating-point error
    QString answerText;  // what the pupil must type, character for character
    bool judged = false; // an answer was scored already: each question scores once
};

// The general number format with 15 significant digits: plain from 0.0001 up to
// below 10^15, exponent form (1E-06, 1,7E-05) otherwise; no grouping.
QString formatAnswerValue(double value, QChar decimalSeparator);

// The deterministic half: the question for given units and quantity.
Question makeQuestion(int source, int target, int quantity, QChar decimalSeparator);

// The question in words, as a screen reader speaks it: "13 milligrammi, quanti chilogrammi?".
QString spokenQuestion(const Question &question);

// The random half: counts the question, reseeds the source, draws two different
// units and a quantity 1..20, then makes the question.
Question drawQuestion(RandomSource &random, qint16 &questionsAsked, QChar decimalSeparator);

// The background's tint for one question: red 1..9, green 0..9.
struct Tint
{
    int redFactor = 1;
    int greenFactor = 0;
};

// Reseeds the source first, like the question draw.
Tint drawTint(RandomSource &random);
