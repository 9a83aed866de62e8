#pragma once

#include <random>

// Uniform draws in [0, 1). The game reseeds before every question, so the
// real source is reseeded from a clock and tests hand in a scripted one.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void reseed() = 0;
    virtual double next() = 0;
};

// Reseeded from the high-resolution clock, so two questions made within the
// same second still differ.
class ClockRandomSource : public RandomSource
{
public:
    ClockRandomSource();
    void reseed() override;
    double next() override;

private:
    std::mt19937_64 m_engine;
};
