#include "storedscore.h"

#include <QByteArray>

#include <cmath>
#include <string>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

double storedScoreValue(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto at = [&](qsizetype k) { return k < n ? text.at(k) : QChar(); };

    while (at(i) == QLatin1Char(' ') || at(i) == QLatin1Char('\t'))
        ++i;

    // The prefix is collected as plain ASCII so that the conversion below sees
    // only what was accepted here (no "inf", hex or locale-dependent forms).
    std::string number;
    if (at(i) == QLatin1Char('-'))
        number += '-';
    if (at(i) == QLatin1Char('-') || at(i) == QLatin1Char('+'))
        ++i;

    bool anyDigit = false;
    for (; isAsciiDigit(at(i)); ++i, anyDigit = true)
        number += char(at(i).unicode());
    if (at(i) == QLatin1Char('.')) {
        number += '.';
        for (++i; isAsciiDigit(at(i)); ++i, anyDigit = true)
            number += char(at(i).unicode());
    }
    if (!anyDigit)
        return 0.0;

    if (at(i) == QLatin1Char('E') || at(i) == QLatin1Char('e')) {
        qsizetype k = i + 1;
        std::string exponent = "e";
        if (at(k) == QLatin1Char('-') || at(k) == QLatin1Char('+'))
            exponent += char(at(k++).unicode());
        if (isAsciiDigit(at(k))) {
            for (; isAsciiDigit(at(k)); ++k)
                exponent += char(at(k).unicode());
            number += exponent;
        }
    }

    // Qt's own conversion, in the C locale: the C++ library of the web build
    // (emscripten's libc++) has no std::from_chars for floating point.
    bool converted = false;
    const double value = QByteArray::fromStdString(number).toDouble(&converted);
    if (!converted || !std::isfinite(value))
        return 0.0;
    return value;
}
