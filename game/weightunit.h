#pragma once

#include <QString>

#include <array>

// One of the seven units of mass, from the smallest (1, mg) to the largest (7, Kg).
struct WeightUnit
{
    int index;          // 1..7; the difference of two indices is the power of ten between them
    const char *symbol; // "mg" .. "Kg" (capital K, as the pupils' textbooks write it)
    int exponent;       // one unit is 10^exponent grams
    int row;            // place in the chart of units, top down: 7 - index, Kg on top
    const char *name;   // in words, as a question is read aloud: "milligrammo"
    const char *names;  // plural: "milligrammi"
};

inline constexpr int unitCount = 7;

const std::array<WeightUnit, unitCount> &weightUnits();

// Lookups by unit index 1..7.
const WeightUnit &weightUnit(int index);
QString unitSymbol(int index);
int equivalenceRow(int index);
