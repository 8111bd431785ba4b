#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

class QIODevice;

namespace velmora {

// A sound ready for the output: interleaved signed 16-bit samples in the machine's byte order.
struct PcmSound
{
    int sampleRate = 0;
    int channels = 0;
    QByteArray samples;

    qint64 frames() const { return samples.size() / (2 * qint64(channels)); }
    qint64 durationMs() const { return frames() * 1000 / sampleRate; }
};

namespace wav {
inline constexpr int MinRate = 8000;
inline constexpr int MaxRate = 192000;
inline constexpr int MaxSeconds = 30; // a longer sound plays its first 30 s
} // namespace wav

// Reads a RIFF WAVE file only as far as its format chunk and the part of its data that will be
// played. PCM of 8, 16, 24 or 32 bits and 32-bit float are converted to 16 bits; anything else,
// and any header whose numbers do not agree with each other, gives nothing.
std::optional<PcmSound> decodeWav(QIODevice &device);
std::optional<PcmSound> decodeWav(const QByteArray &contents);
std::optional<PcmSound> decodeWavFile(const QString &path);

} // namespace velmora
