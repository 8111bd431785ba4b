#pragma once

#include <cstdint>
#include <random>

namespace velmora {

// The process-wide uniform generator behind every draw. Each press of a go button re-seeds it
// once, before the press's first draw.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void reseed() = 0;
    // Uniform in [0, 1); never 1.0.
    virtual double next() = 0;
};

class ClockSeededRandom : public RandomSource
{
public:
    ClockSeededRandom();
    void reseed() override;
    double next() override;

private:
    std::mt19937_64 m_engine;
};

// Deterministic draws for tests and benchmarks: re-seeding keeps the sequence going.
class SeededRandom : public RandomSource
{
public:
    explicit SeededRandom(std::uint64_t seed) : m_engine(seed) {}
    void reseed() override {}
    double next() override;

private:
    std::mt19937_64 m_engine;
};

double unitFromBits(std::uint64_t bits);

// k = Int(N x r + 1) - 1, kept within 0..N-1 whatever rounding does to N x r.
int drawIndex(int count, double r);

} // namespace velmora
