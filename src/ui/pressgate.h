#pragma once

#include <QObject>
#include <QPointer>

#include <deque>
#include <functional>
#include <type_traits>
#include <utility>

namespace velmora {

class SoundPlayer;

// Holds presses back while a sound plays, as a window stopped by its sounds would: clicks, keys
// and shortcuts that arrive meanwhile, and presses that come another way (an accessibility
// "press" action, a queued call, a timer), are kept and handled once the sound has been heard, in
// order, each with its own feedback. The window goes on painting and its timers tick.
class PressGate : public QObject
{
public:
    explicit PressGate(SoundPlayer &sound, QObject *parent = nullptr);
    ~PressGate() override;

    bool isHeld() const { return m_holds > 0; }

    // Plays a sound ("sound/2.wav") with the presses that arrive meanwhile held. `then` runs once
    // it has been heard, before the held presses: what the sound's caller does after it.
    void playHeld(const QString &relativePath, std::function<void()> then = {});

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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void release();

    // A press waiting for the sound to end: a user's input for its receiver, or a handler to run.
    struct Held
    {
        QPointer<QObject> receiver;
        std::function<void(QObject *receiver)> input;
        std::function<void()> press;
    };

    SoundPlayer &m_sound;
    int m_holds = 0;
    bool m_releasing = false;
    std::function<void()> m_before;
    std::deque<Held> m_waiting;
};

} // namespace velmora
