#include "ui/animatedpicture.h"

#include "ui/assets.h"
#include "ui/twips.h"

#include <QLabel>
#include <QMovie>

namespace velmora {

QLabel *animatedPicture(QWidget *parent, const QRect &geometry)
{
    auto *picture = new QLabel(parent);
    picture->setObjectName(QStringLiteral("Gif89a1"));
    picture->setGeometry(geometry);
    picture->setAccessibleName(QStringLiteral("Trumpet"));
    auto *movie = new QMovie(movieFile(QStringLiteral("trumpet.gif")), QByteArray(), picture);
    picture->setMovie(movie);
    if (ui::layoutScale() < 1 && movie->jumpToFrame(0))
        movie->setScaledSize(movie->currentImage().size() * ui::layoutScale());
    movie->start();
    return picture;
}

} // namespace velmora
