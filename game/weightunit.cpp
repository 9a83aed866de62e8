#include "weightunit.h"

#include <QtGlobal>

const std::array<WeightUnit, unitCount> &weightUnits()
{
    static constexpr std::array<WeightUnit, unitCount> table {{
        {1, "mg", -3, 6, "milligrammo", "milligrammi"},
        {2, "cg", -2, 5, "centigrammo", "centigrammi"},
        {3, "dg", -1, 4, "decigrammo", "decigrammi"},
        {4, "g", 0, 3, "grammo", "grammi"},
        {5, "dag", 1, 2, "decagrammo", "decagrammi"},
        {6, "hg", 2, 1, "ettogrammo", "ettogrammi"},
        {7, "Kg", 3, 0, "chilogrammo", "chilogrammi"},
    }};
    return table;
}

const WeightUnit &weightUnit(int index)
{
    Q_ASSERT(index >= 1 && index <= unitCount);
    return weightUnits()[static_cast<std::size_t>(index - 1)];
}

QString unitSymbol(int index)
{
    return QString::fromLatin1(weightUnit(index).symbol);
}

int equivalenceRow(int index)
{
    return weightUnit(index).row;
}
