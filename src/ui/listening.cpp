#include "ui/listening.h"

#include "sound/notesynth.h"
#include "ui/prompter.h"
#include "sound/soundplayer.h"

#include <QCheckBox>

namespace velmora {

// The synthesizer's client, in the rendering thread: a render waits up to the synthesizer's limits
// (a first load takes hundreds of milliseconds), which the window must not.
class Listening::Renderer : public QObject
{
public:
    explicit Renderer(const QString &given) : program(given.isEmpty() ? NoteSynth::installedProgram() : given) {}

    std::unique_ptr<NoteSynth> synth; // made and ended in the rendering thread, as its child is
    const QString program; // the synthesizer to run
};

Listening::Listening(SoundPlayer &sound, Prompter &prompter, Choices choices, QObject *parent, const QString &synthProgram)
    : QObject(parent), m_sound(sound), m_prompter(prompter), m_choices(choices), m_renderer(new Renderer(synthProgram))
{
    m_thread.setObjectName(QStringLiteral("velmora-render"));
    m_renderer->moveToThread(&m_thread);
    m_thread.start();
}

Listening::~Listening()
{
    // The child is ended and reaped in the thread that started it.
    m_ticket = 0;
    QMetaObject::invokeMethod(m_renderer, [renderer = m_renderer] { renderer->synth.reset(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_renderer;
}

void Listening::setSoundOff(QCheckBox *soundOff)
{
    m_soundOff = soundOff;
    connect(soundOff, &QCheckBox::toggled, this, [this](bool off) {
        if (off)
            stop();
    });
}

QString Listening::unavailableReason() const
{
    return m_failed.isEmpty() ? NoteSynth::missingSoundFont() : m_failed;
}

bool Listening::play(const Phrase &phrase)
{
    stop();
    if (phrase.isEmpty() || !unavailableReason().isEmpty() || !m_sound.prepareDetached())
        return false;
    const quint64 ticket = ++m_ticket;
    QMetaObject::invokeMethod(m_renderer, [this, renderer = m_renderer, ticket, phrase] {
        if (m_ticket != ticket)
            return; // a newer question, or a press, came first
        if (!renderer->synth)
            renderer->synth = std::make_unique<NoteSynth>(renderer->program);
        QString problem;
        std::optional<PcmSound> sound = renderer->synth->render(phrase, &problem);
        const QString failed = renderer->synth->unavailableReason();
        QMetaObject::invokeMethod(this, [this, ticket, sound = std::move(sound), problem, failed] {
            arrived(ticket, sound, problem, failed);
        }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
    return true;
}

void Listening::arrived(quint64 ticket, const std::optional<PcmSound> &sound, const QString &problem, const QString &failed)
{
    if (failed != m_failed) {
        m_failed = failed;
        emit availabilityChanged(); // the menu says why
    }
    if (!problem.isEmpty() && sound)
        m_prompter.inform(problem, Prompter::Icon::Warning);
    if (ticket != m_ticket)
        return;
    if (!sound || !m_sound.startDetached(*sound))
        emit unheard();
}

bool Listening::hear(const Phrase &phrase)
{
    if (m_soundOff && m_soundOff->isChecked()) {
        stop();
        return false;
    }
    return play(phrase);
}

void Listening::stop()
{
    ++m_ticket;
    m_sound.stopDetached();
}

} // namespace velmora
