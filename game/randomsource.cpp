#include "randomsource.h"

#include <chrono>

ClockRandomSource::ClockRandomSource()
{
    reseed();
}

void ClockRandomSource::reseed()
{
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    m_engine.seed(static_cast<std::mt19937_64::result_type>(now));
}

double ClockRandomSource::next()
{
    // The top 53 bits scaled by 2^-53: uniform, and never 1.0.
    return static_cast<double>(m_engine() >> 11) * 0x1.0p-53;
}
