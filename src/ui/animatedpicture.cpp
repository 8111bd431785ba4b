#include "ui/animatedpicture.h"

#include "ui/captions.h"

#include "ui/animationcost.h"
#include "ui/moviefile.h"
#include "ui/twips.h"

#include <QFile>
#include <QLabel>
#include <QMovie>

namespace velmora {

namespace {
// A GIF longer than this is not looked through for its cost, and is shown still.
constexpr qint64 MaxAnimatedGifBytes = 16 << 20;
}

QLabel *animatedPicture(QWidget *parent, const QRect &geometry)
{
    auto *picture = new QLabel(parent);
    picture->setObjectName(QStringLiteral("Gif89a1"));
    picture->setGeometry(geometry);
    ui::setAccessibleCaption(picture, QT_TRANSLATE_NOOP("Velmora", "Trumpet"));
    const QString file = movieFile(QStringLiteral("trumpet.gif"));
    auto *movie = new QMovie(file, QByteArray(), picture);
    if (ui::layoutScale() < 1 && movie->jumpToFrame(0))
        movie->setScaledSize(movie->currentImage().size() * ui::layoutScale());
    // One that would keep a core busy while nothing else happens is shown still.
    QFile gif(file);
    const std::optional<AnimationCost> cost =
        gif.open(QIODevice::ReadOnly) ? animationCost(gif.read(MaxAnimatedGifBytes)) : std::nullopt;
    if (!cost || !cost->affordable()) {
        movie->jumpToFrame(0);
        picture->setPixmap(movie->currentPixmap());
        return picture;
    }
    picture->setMovie(movie);
    movie->start();
    return picture;
}

} // namespace velmora
