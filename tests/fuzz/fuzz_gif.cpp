// Any bytes as the trumpet: no cost, or a cost that can be weighed.
#include "ui/animationcost.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace velmora;
    const std::optional<AnimationCost> cost = animationCost(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (cost && (cost->pixelsPerCycle < 0 || cost->cycleMs < 0 || (cost->pixelsPerCycle > 0 && cost->cycleMs == 0)))
        __builtin_trap();
    if (cost)
        (void)cost->affordable();
    return 0;
}
