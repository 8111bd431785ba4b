#include "ui/moviefile.h"

#include "music/files/userfiles.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMovie>

namespace velmora {

namespace {

// The trumpet stands in a box of 161 x 161 pixels; a picture far larger, or of very many frames,
// only costs memory and time.
constexpr int MaxPictureSide = 1024;
constexpr int MaxPictureFrames = 1000;

} // namespace

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
