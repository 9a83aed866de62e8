#pragma once

// Hand-written stand-ins for the random source the rules draw from.

#include "randomsource.h"

#include <QtGlobal>

#include <deque>
#include <random>

// Hands out queued draws in order. Running out is a fault of the test, and a
// silent default could send a redraw loop spinning, so it stops the run.
class ScriptedRandom : public RandomSource
{
public:
    std::deque<double> draws;
    int reseeds = 0;

    void reseed() override { ++reseeds; }

    // The five draws of one new question: the tint, then the units and the
    // quantity, each as the middle of the draw range that gives it.
    void queueQuestion(int redFactor, int greenFactor, int source, int target, int quantity)
    {
        for (double draw : {(redFactor + 0.5) / 10, (greenFactor + 0.5) / 10, (source - 0.5) / 7, (target - 0.5) / 7,
                            (quantity - 0.5) / 20})
            draws.push_back(draw);
    }

    double next() override
    {
        if (draws.empty())
            qFatal("ScriptedRandom: no draw left");
        const double r = draws.front();
        draws.pop_front();
        return r;
    }
};

// A fixed-seed generator: the same draws on every run, that still cover the
// whole range.
class SeededRandom : public RandomSource
{
public:
    explicit SeededRandom(quint64 seed) : m_engine(seed) { }

    int reseeds = 0;

    void reseed() override { ++reseeds; }
    double next() override { return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine); }

private:
    std::mt19937_64 m_engine;
};
