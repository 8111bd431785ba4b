#include "ui/animationcost.h"

#include <algorithm>

namespace velmora {

std::optional<AnimationCost> animationCost(const QByteArray &gif)
{
    const auto byte = [&](qsizetype at) { return at < gif.size() ? int(quint8(gif[at])) : -1; };
    const auto word = [&](qsizetype at) { return byte(at) < 0 || byte(at + 1) < 0 ? -1 : byte(at) | byte(at + 1) << 8; };
    if (!gif.startsWith("GIF87a") && !gif.startsWith("GIF89a"))
        return std::nullopt;
    const auto skipColourTable = [](int flags) { return flags & 0x80 ? qsizetype(3) << ((flags & 7) + 1) : 0; };
    qsizetype at = 13 + skipColourTable(byte(10));
    // Sub-blocks: a length byte, that many bytes, until a length of 0.
    const auto skipSubBlocks = [&] {
        while (byte(at) > 0)
            at += byte(at) + 1;
        return byte(at++) == 0;
    };
    AnimationCost cost;
    int delayMs = 0;
    for (;;) {
        switch (byte(at)) {
        case 0x21: // an extension; a graphic control extension holds the next frame's delay
            if (byte(at + 1) == 0xF9 && word(at + 4) >= 0)
                delayMs = word(at + 4) * 10;
            at += 2;
            if (!skipSubBlocks())
                return std::nullopt;
            break;
        case 0x2C: { // a frame
            const int width = word(at + 5), height = word(at + 7), flags = byte(at + 9);
            if (flags < 0)
                return std::nullopt;
            cost.pixelsPerCycle += qint64(width) * height;
            cost.cycleMs += std::max(delayMs, 10);
            delayMs = 0;
            at += 10 + skipColourTable(flags) + 1; // and the LZW code size
            if (!skipSubBlocks())
                return std::nullopt;
            break;
        }
        case 0x3B: // the end
            return cost;
        default:
            return std::nullopt;
        }
    }
}

} // namespace velmora
