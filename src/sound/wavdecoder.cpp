#include "sound/wavdecoder.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velmora {

namespace {

constexpr quint16 FormatPcm = 1;
constexpr quint16 FormatFloat = 3;
constexpr quint16 FormatExtensible = 0xFFFE;
// The tail that WAVE_FORMAT_EXTENSIBLE's sub-format GUIDs share after their two-byte format tag.
constexpr char GuidTail[14] = {0, 0, 0, 0, 0x10, 0, char(0x80), 0, 0, char(0xAA), 0, 0x38, char(0x9B), 0x71};
constexpr quint32 MaxFormatChunk = 1024;
// Real files hold a handful of chunks before their samples ("fmt ", "LIST", "fact"...); a file of
// thousands of empty ones would cost a read each, at every play.
constexpr int MaxChunksBeforeData = 64;

struct Format
{
    quint16 tag = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    int blockAlign = 0;
};

std::optional<Format> parseFormat(const QByteArray &chunk)
{
    if (chunk.size() < 16)
        return {};
    const char *p = chunk.constData();
    Format f;
    f.tag = qFromLittleEndian<quint16>(p);
    f.channels = qFromLittleEndian<quint16>(p + 2);
    f.rate = int(std::min<quint32>(qFromLittleEndian<quint32>(p + 4), INT_MAX));
    f.blockAlign = qFromLittleEndian<quint16>(p + 12);
    f.bits = qFromLittleEndian<quint16>(p + 14);
    if (f.tag == FormatExtensible) {
        if (chunk.size() < 40 || std::memcmp(p + 26, GuidTail, sizeof GuidTail) != 0)
            return {};
        f.tag = qFromLittleEndian<quint16>(p + 24);
    }
    const bool pcm = f.tag == FormatPcm && (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32);
    const bool floats = f.tag == FormatFloat && f.bits == 32;
    // The byte rate is not read at all: a header may lie about it, and it follows from the rest.
    if (!(pcm || floats) || f.channels < 1 || f.channels > 2 || f.rate < wav::MinRate || f.rate > wav::MaxRate
        || f.blockAlign != f.channels * f.bits / 8)
        return {};
    return f;
}

qint16 toSample16(const uchar *in, const Format &f)
{
    switch (f.bits) {
    case 8:
        return qint16((int(in[0]) - 128) * 256);
    case 16:
        return qFromLittleEndian<qint16>(in);
    case 24:
        return qFromLittleEndian<qint16>(in + 1);
    default:
        if (f.tag == FormatPcm)
            return qFromLittleEndian<qint16>(in + 2);
        float value = qFromLittleEndian<float>(in);
        if (!std::isfinite(value))
            value = 0;
        return qint16(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
    }
}

PcmSound convert(const QByteArray &data, const Format &f)
{
    const int bytesPerSample = f.bits / 8;
    const qsizetype samples = data.size() / bytesPerSample;
    PcmSound sound{f.rate, f.channels, QByteArray(samples * 2, Qt::Uninitialized)};
    const auto *in = reinterpret_cast<const uchar *>(data.constData());
    auto *out = reinterpret_cast<qint16 *>(sound.samples.data());
    for (qsizetype i = 0; i < samples; ++i)
        out[i] = toSample16(in + i * bytesPerSample, f);
    return sound;
}

} // namespace

std::optional<PcmSound> decodeWav(QIODevice &device)
{
    const QByteArray riff = device.read(12);
    if (riff.size() != 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return {};
    std::optional<Format> format;
    for (int chunks = 0; chunks < MaxChunksBeforeData; ++chunks) {
        const QByteArray header = device.read(8);
        if (header.size() != 8)
            return {};
        const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
        const QByteArray id = header.left(4);
        if (id == "fmt ") {
            if (format || size > MaxFormatChunk)
                return {};
            format = parseFormat(device.read(size));
            if (!format)
                return {};
        } else if (id == "data") {
            if (!format)
                return {};
            const qint64 maxFrames = qint64(format->rate) * wav::MaxSeconds;
            const qint64 frames = std::min<qint64>(size / format->blockAlign, maxFrames);
            const QByteArray data = device.read(frames * format->blockAlign);
            const qint64 whole = data.size() / format->blockAlign * format->blockAlign;
            if (whole == 0)
                return {};
            return convert(data.left(whole), *format);
        }
        // Chunks are padded to an even length.
        const qint64 rest = (id == "fmt " ? 0 : qint64(size)) + (size & 1);
        if (rest != 0 && device.skip(rest) != rest)
            return {};
    }
    return {};
}

std::optional<PcmSound> decodeWav(const QByteArray &contents)
{
    QBuffer buffer;
    buffer.setData(contents);
    buffer.open(QIODevice::ReadOnly);
    return decodeWav(buffer);
}

std::optional<PcmSound> decodeWavFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeWav(file);
}

} // namespace velmora
