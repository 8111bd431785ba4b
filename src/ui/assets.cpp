#include "ui/assets.h"

#include "music/filecheck.h"
#include "music/userfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMovie>

#include <algorithm>
#include <map>


namespace velmora {

QString builtInAsset(const QString &relativePath)
{
    return QStringLiteral(":/") + relativePath;
}

namespace {

// The trumpet stands in a box of 161 x 161 pixels; a picture far larger, or of very many frames,
// only costs memory and time.
constexpr int MaxPictureSide = 1024;
constexpr int MaxPictureFrames = 1000;

// A user's sound as last decoded, kept while the file stays the same: a sound plays at every
// answer, and a file needs reading only when it changes.
struct DecodedFile
{
    FileIdentity identity;
    std::optional<PcmSound> pcm; // nothing: the file is not a sound we can play
};

std::optional<PcmSound> decodeUserSound(const QString &path)
{
    static std::map<QString, DecodedFile> decoded;
    QFile file;
    const std::optional<FileIdentity> identity = openRegular(file, path);
    if (!identity)
        return {};
    DecodedFile &known = decoded[path];
    if (known.identity != *identity)
        known = {*identity, decodeWav(file)};
    return known.pcm;
}

} // namespace

std::optional<LoadedSound> loadSound(const QString &relativePath)
{
    for (const QString &candidate : userFileSearch(relativePath)) {
        if (std::optional<PcmSound> pcm = decodeUserSound(candidate))
            return LoadedSound{std::move(*pcm), candidate};
    }
    const QString builtIn = builtInAsset(relativePath);
    if (std::optional<PcmSound> pcm = decodeWavFile(builtIn))
        return LoadedSound{std::move(*pcm), builtIn};
    return {};
}

QString movieFile(const QString &relativePath)
{
    for (const QString &candidate : userFileSearch(relativePath)) {
        if (!QFileInfo(candidate).isFile())
            continue;
        // Its size and frame count come from its header, before any frame is decoded: a small
        // file may ask for frames of hundreds of megabytes each.
        QImageReader header(candidate);
        const QSize size = header.size();
        if (!size.isValid() || size.width() > MaxPictureSide || size.height() > MaxPictureSide
            || header.imageCount() > MaxPictureFrames)
            continue;
        QMovie probe(candidate);
        if (probe.isValid() && probe.frameCount() != 0)
            return candidate;
    }
    return builtInAsset(relativePath);
}

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
