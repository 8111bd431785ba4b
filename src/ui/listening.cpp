#include "ui/listening.h"

#include "ui/prompter.h"
#include "ui/soundplayer.h"

#include <QCheckBox>

namespace velmora {

Listening::Listening(SoundPlayer &sound, Prompter &prompter, Choices choices, QObject *parent)
    : QObject(parent), m_sound(sound), m_prompter(prompter), m_choices(choices)
{
}

void Listening::setSoundOff(QCheckBox *soundOff)
{
    m_soundOff = soundOff;
    connect(soundOff, &QCheckBox::toggled, this, [this](bool off) {
        if (off)
            stop();
    });
}

bool Listening::play(const Phrase &phrase)
{
    stop();
    if (phrase.isEmpty())
        return false;
    QString problem;
    const std::optional<PcmSound> sound = m_synth.render(phrase, &problem);
    if (!sound) {
        emit availabilityChanged(); // the menu says why
        return false;
    }
    if (!problem.isEmpty())
        m_prompter.inform(problem, Prompter::Icon::Warning);
    return m_sound.startDetached(*sound);
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
    m_sound.stopDetached();
}

} // namespace velmora
