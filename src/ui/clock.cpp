#include "ui/clock.h"

#include <QTimer>

namespace velmora {

void Clock::start(QTimer &timer)
{
    timer.start();
}

} // namespace velmora
