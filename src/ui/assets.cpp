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

} // namespace velmora
