#pragma once

class QTimer;

namespace velmora {

// Starts the program's timers. The program's clock is the wall clock; a test gives one of its own,
// so that a ten-second hide timer can be seen to fire without waiting ten seconds.
class Clock
{
public:
    virtual ~Clock() = default;

    // Starts `timer`, or restarts it with its full interval.
    virtual void start(QTimer &timer);
};

} // namespace velmora
