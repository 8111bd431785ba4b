#include "sound/soundfiles.h"

#include "music/files/filecheck.h"
#include "music/files/userfiles.h"

#include <QFile>

#include <map>

namespace velmora {

namespace {

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

} // namespace velmora
