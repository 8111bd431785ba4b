#include "ui/pressgate.h"

#include "sound/soundplayer.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

namespace velmora {

void PressGate::run(QObject *context, std::function<void()> press)
{
    if (isHeld()) {
        m_waiting.emplace_back(context, std::move(press));
        return;
    }
    if (m_before)
        m_before();
    press();
}

void PressGate::playHeld(const QString &relativePath)
{
    const Hold hold(*this);
    m_sound.play(relativePath);
}

void PressGate::release()
{
    if (--m_holds > 0)
        return;
    // Clicks and keys the window system held meanwhile are read only when something wakes the
    // event loop; without this, the next timer would, up to a second later.
    if (QAbstractEventDispatcher *dispatcher = QCoreApplication::eventDispatcher())
        dispatcher->wakeUp();
    // Posted rather than run here: the sound's caller has not returned yet. Each press then meets
    // the gate again, so one that finds the next press's sound playing waits behind it, in order.
    while (!m_waiting.empty()) {
        auto [context, press] = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (context)
            QMetaObject::invokeMethod(context, [this, context = context.data(), press = std::move(press)] {
                run(context, press);
            }, Qt::QueuedConnection);
    }
}

} // namespace velmora
