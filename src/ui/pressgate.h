#pragma once

#include <QObject>
#include <QPointer>

#include <deque>
#include <functional>
#include <type_traits>
#include <utility>

namespace velmora {

class SoundPlayer;

// Holds presses back while a sound plays. A sound waits in an event loop that keeps the window
// painting and holds back mouse and keyboard input, but a press can also arrive another way (an
// accessibility "press" action, a queued call, a timer). Such a press is not run inside the wait,
// where it could start a second sound over the first: it is queued whole and re-posted once the
// sound has ended, so it runs afterwards and gives its own feedback, as a held click does.
class PressGate
{
public:
    explicit PressGate(SoundPlayer &sound) : m_sound(sound) {}

    bool isHeld() const { return m_holds > 0; }

    // Plays a sound to its end ("sound/2.wav"), the presses that arrive meanwhile held.
    void playHeld(const QString &relativePath);

    // Runs `press` now, or after the sound that is playing.
    void run(QObject *context, std::function<void()> press);
    // Runs before each press is handled (a question that plays is stopped by any press).
    void setBeforeEachPress(std::function<void()> before) { m_before = std::move(before); }

    // A slot for connect() that goes through the gate. Arguments the signal carries are passed on
    // when `handler` takes them (QButtonGroup::idClicked's id) and dropped otherwise (clicked's bool).
    template <typename Handler>
    auto guarded(QObject *context, Handler handler)
    {
        return [this, context, handler](auto... args) {
            run(context, [handler, args...] {
                if constexpr (std::is_invocable_v<const Handler &, decltype(args)...>)
                    handler(args...);
                else
                    handler();
            });
        };
    }

    class Hold
    {
    public:
        explicit Hold(PressGate &gate) : m_gate(gate) { ++m_gate.m_holds; }
        ~Hold() { m_gate.release(); }
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        PressGate &m_gate;
    };

private:
    void release();

    SoundPlayer &m_sound;
    int m_holds = 0;
    std::function<void()> m_before;
    std::deque<std::pair<QPointer<QObject>, std::function<void()>>> m_waiting;
};

} // namespace velmora
