#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace velmora {

// Sounds and the trumpet picture are read from the working directory when present and usable;
// otherwise the copy built into the program serves, so Velmora runs from any directory.
QString builtInAsset(const QString &relativePath);

struct WavInfo
{
    bool playable = false; // PCM with 8 or 16 bits a sample, which the sound backend decodes
    int durationMs = 0;
};

WavInfo inspectWav(const QByteArray &contents);
WavInfo inspectWavFile(const QString &path);

// The file to play for "sound/N.wav": the working directory's when it is playable, else the built-in one.
QString soundFile(const QString &relativePath);
QString movieFile(const QString &relativePath);

} // namespace velmora
