#pragma once

#include <QRect>

class QLabel;
class QWidget;

namespace velmora {

// The trumpet, "trumpet.gif", playing in a loop at the given place.
QLabel *animatedPicture(QWidget *parent, const QRect &geometry);

} // namespace velmora
