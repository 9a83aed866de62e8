#pragma once

#include <QString>

// The leading number of a text, read the way a numeric prefix is parsed:
// leading blanks skipped, "." as the only decimal point, an optional exponent;
// 0 when there is no number or it is too large to hold ("1E999").
double storedScoreValue(const QString &text);
