#pragma once

#include "ui/wavdecoder.h"

#include <QString>

#include <optional>

namespace velmora {

// Sounds and the trumpet picture are read from the working directory, else from the user's data
// directory, when present and usable; otherwise the copy built into the program serves, so
// Velmora runs from any directory.
QString builtInAsset(const QString &relativePath);

struct LoadedSound
{
    PcmSound pcm;
    QString file; // where it was read from
};

// "sound/N.wav": the first in the search that decodes, else the built-in one.
std::optional<LoadedSound> loadSound(const QString &relativePath);
QString movieFile(const QString &relativePath);

} // namespace velmora
