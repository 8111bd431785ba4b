#include "ui/clock.h"

#include <QTimer>

namespace velmora {

void Clock::start(QTimer &timer)
{
    timer.start();
}

bool Clock::isRunning(const QTimer &timer) const
{
    return timer.isActive();
}

} // namespace velmora
