#include "music/random.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace velmora {

double unitFromBits(std::uint64_t bits)
{
    // The top 53 bits fill a double's mantissa exactly, so the result is below 1.0 by construction
    // (std::generate_canonical may return 1.0 on some standard libraries).
    return static_cast<double>(bits >> 11) * 0x1.0p-53;
}

int drawIndex(int count, double r)
{
    if (count <= 0)
        return 0;
    const auto k = static_cast<long long>(std::floor(count * r + 1.0)) - 1;
    return static_cast<int>(std::clamp<long long>(k, 0, count - 1));
}

ClockSeededRandom::ClockSeededRandom()
{
    reseed();
}

void ClockSeededRandom::reseed()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    m_engine.seed(static_cast<std::uint64_t>(ticks));
}

double ClockSeededRandom::next()
{
    return unitFromBits(m_engine());
}

double SeededRandom::next()
{
    return unitFromBits(m_engine());
}

} // namespace velmora
