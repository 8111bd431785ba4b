#include "ui/assets.h"

#include <QFileInfo>
#include <QMovie>

namespace velmora {

QString builtInAsset(const QString &relativePath)
{
    return QStringLiteral(":/") + relativePath;
}

std::optional<LoadedSound> loadSound(const QString &relativePath)
{
    // Only a regular file: opening a FIFO or a device would block.
    const QFileInfo own(relativePath);
    if (own.isFile()) {
        if (std::optional<PcmSound> pcm = decodeWavFile(relativePath))
            return LoadedSound{std::move(*pcm), own.absoluteFilePath()};
    }
    const QString builtIn = builtInAsset(relativePath);
    if (std::optional<PcmSound> pcm = decodeWavFile(builtIn))
        return LoadedSound{std::move(*pcm), builtIn};
    return {};
}

QString movieFile(const QString &relativePath)
{
    if (QFileInfo(relativePath).isFile()) {
        QMovie probe(relativePath);
        if (probe.isValid() && probe.frameCount() != 0)
            return QFileInfo(relativePath).absoluteFilePath();
    }
    return builtInAsset(relativePath);
}

} // namespace velmora
