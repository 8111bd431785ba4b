#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace velmora {

// What an animated GIF asks of the machine, from its blocks alone (no frame decoded): the pixels
// its frames cover in one cycle, and the cycle's length (a frame's delay of 0 counted as 10 ms,
// the shortest a timer keeps). Nothing for what is not a GIF.
struct AnimationCost
{
    qint64 pixelsPerCycle = 0;
    qint64 cycleMs = 0;
    // Pixels decoded a second while it plays: beyond this, a share of a core that an idle
    // program should not take, and the picture is shown still.
    static constexpr qint64 MaxPixelsPerSecond = 2'000'000;
    bool affordable() const { return cycleMs > 0 && pixelsPerCycle * 1000 / cycleMs <= MaxPixelsPerSecond; }
};
std::optional<AnimationCost> animationCost(const QByteArray &gif);

} // namespace velmora
