#include "ui/assets.h"

#include "music/userfiles.h"

#include <QFileInfo>
#include <QMovie>

namespace velmora {

QString builtInAsset(const QString &relativePath)
{
    return QStringLiteral(":/") + relativePath;
}

std::optional<LoadedSound> loadSound(const QString &relativePath)
{
    for (const QString &candidate : userFileSearch(relativePath)) {
        // Only a regular file: opening a FIFO or a device would block.
        const QFileInfo own(candidate);
        if (!own.isFile())
            continue;
        if (std::optional<PcmSound> pcm = decodeWavFile(candidate))
            return LoadedSound{std::move(*pcm), own.absoluteFilePath()};
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
        QMovie probe(candidate);
        if (probe.isValid() && probe.frameCount() != 0)
            return QFileInfo(candidate).absoluteFilePath();
    }
    return builtInAsset(relativePath);
}

} // namespace velmora
