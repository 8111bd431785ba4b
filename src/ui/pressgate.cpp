#include "ui/pressgate.h"

#include "sound/soundplayer.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <memory>

namespace velmora {

namespace {

// What a user does to a window: held at the window, before it reaches any control, so that a
// click or key is held whole and meets the controls as they are once the sound has been heard.
bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

// Hands a user's input to `receiver` later, as it came; nothing for input the window passes over.
// A mouse or wheel event is built anew just before it is sent, as Qt builds each one it forwards:
// its point is shared with the device's live state, which later input changes.
std::function<void(QObject *)> redelivery(const QEvent *event)
{
    if (const auto *mouse = dynamic_cast<const QMouseEvent *>(event)) {
        // The second press of a double click, which the window hands on as the double click that
        // follows it instead.
        if (mouse->flags().testFlag(Qt::MouseEventCreatedDoubleClick))
            return {};
        return [type = mouse->type(), position = mouse->position(), scene = mouse->scenePosition(),
                global = mouse->globalPosition(), button = mouse->button(), buttons = mouse->buttons(),
                modifiers = mouse->modifiers(), device = mouse->pointingDevice(), time = mouse->timestamp()](QObject *receiver) {
            QMouseEvent again(type, position, scene, global, button, buttons, modifiers, device);
            again.setTimestamp(time);
            QCoreApplication::sendEvent(receiver, &again);
        };
    }
    if (const auto *wheel = dynamic_cast<const QWheelEvent *>(event)) {
        return [position = wheel->position(), global = wheel->globalPosition(), pixels = wheel->pixelDelta(),
                angle = wheel->angleDelta(), buttons = wheel->buttons(), modifiers = wheel->modifiers(), phase = wheel->phase(),
                inverted = wheel->inverted(), source = wheel->source(), device = wheel->pointingDevice(),
                time = wheel->timestamp()](QObject *receiver) {
            QWheelEvent again(position, global, pixels, angle, buttons, modifiers, phase, inverted, source, device);
            again.setTimestamp(time);
            QCoreApplication::sendEvent(receiver, &again);
        };
    }
    return [copy = std::shared_ptr<QEvent>(event->clone())](QObject *receiver) { QCoreApplication::sendEvent(receiver, copy.get()); };
}

// Whether held input can still be handled: the window system would not have delivered it to a
// window that has been hidden, or that a dialog opened meanwhile now blocks.
bool stillTakesInput(QObject *receiver)
{
    QObject *owner = receiver;
    while (owner && !owner->isWidgetType() && !owner->isWindowType())
        owner = owner->parent();
    if (auto *window = qobject_cast<QWindow *>(owner)) {
        const QWindow *modal = QGuiApplication::modalWindow();
        return window->isVisible() && (!modal || modal == window || modal->isAncestorOf(window));
    }
    if (auto *widget = qobject_cast<QWidget *>(owner)) {
        const QWidget *modal = QApplication::activeModalWidget();
        return widget->window()->isVisible() && (!modal || modal == widget->window());
    }
    return true;
}

} // namespace

PressGate::PressGate(SoundPlayer &sound, QObject *parent) : QObject(parent), m_sound(sound)
{
    QCoreApplication::instance()->installEventFilter(this);
}

PressGate::~PressGate() = default;

void PressGate::run(QObject *context, std::function<void()> press)
{
    if (isHeld()) {
        m_waiting.push_back({context, {}, std::move(press)});
        return;
    }
    if (m_before)
        m_before();
    press();
}

void PressGate::playHeld(const QString &relativePath, std::function<void()> then)
{
    ++m_holds;
    m_sound.play(relativePath, this, [this, then = std::move(then)] {
        if (then)
            then();
        release();
    });
}

bool PressGate::eventFilter(QObject *watched, QEvent *event)
{
    // Shortcuts are matched before their key reaches any window, and arrive at their QShortcut
    // or QAction as an event of their own.
    if (isHeld() && ((watched->isWindowType() && isUserInput(event->type())) || event->type() == QEvent::Shortcut)) {
        if (auto input = redelivery(event))
            m_waiting.push_back({watched, std::move(input), {}});
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void PressGate::release()
{
    // A press handled here may start a sound that is heard at once (no server): its release must
    // not handle the next presses inside that press's own handler.
    if (--m_holds > 0 || m_releasing)
        return;
    m_releasing = true;
    const auto released = qScopeGuard([this] { m_releasing = false; });
    // Until a press starts the next sound, which holds those behind it.
    while (!isHeld() && !m_waiting.empty()) {
        Held held = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (!held.receiver)
            continue;
        if (!held.input)
            run(held.receiver, std::move(held.press));
        else if (stillTakesInput(held.receiver))
            held.input(held.receiver);
    }
}

} // namespace velmora
