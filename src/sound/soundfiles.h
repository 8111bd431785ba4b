#pragma once

#include "sound/wavdecoder.h"

#include <QString>

#include <optional>

namespace velmora {

struct LoadedSound
{
    PcmSound pcm;
    QString file; // where it was read from
};

// "sound/N.wav": the first copy in the user's search that decodes, else the built-in one.
std::optional<LoadedSound> loadSound(const QString &relativePath);

} // namespace velmora
