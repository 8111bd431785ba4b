// Any bytes as a sound file: refused, or a sound the output can play as it is.
#include "sound/wavdecoder.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace velmora;
    const std::optional<PcmSound> sound = decodeWav(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (sound
        && (sound->channels < 1 || sound->channels > 2 || sound->sampleRate < wav::MinRate || sound->sampleRate > wav::MaxRate
            || sound->frames() < 1 || sound->samples.size() % (2 * sound->channels) != 0
            || sound->frames() > qint64(sound->sampleRate) * wav::MaxSeconds))
        __builtin_trap();
    return 0;
}
