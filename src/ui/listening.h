#pragma once

#include "music/phrase.h"
#include "ui/notesynth.h"

#include <QObject>
#include <QPointer>

class QCheckBox;

namespace velmora {

class Prompter;
class SoundPlayer;

// The "Listen" menu's state and the question's notes: rendered by the synthesizer and played while
// the window goes on, stopped by the next press.
class Listening : public QObject
{
    Q_OBJECT
public:
    struct Choices
    {
        bool hearEachQuestion = false;
        bool chordsByEar = false;
    };

    Listening(SoundPlayer &sound, Prompter &prompter, Choices choices, QObject *parent = nullptr);

    // "Hear each question" and the chord tab follow this box as the chimes do.
    void setSoundOff(QCheckBox *soundOff);

    bool hearEachQuestion() const { return m_choices.hearEachQuestion; }
    void setHearEachQuestion(bool on) { m_choices.hearEachQuestion = on; }
    bool chordsByEar() const { return m_choices.chordsByEar; }
    void setChordsByEar(bool on) { m_choices.chordsByEar = on; }

    // Plays `phrase` now, whatever "Sound off" says ("Play the question"). False when it is not
    // heard: nothing to play, no SoundFont, no sound server.
    bool play(const Phrase &phrase);
    // As the exercises play a question: not while "Sound off" is ticked.
    bool hear(const Phrase &phrase);
    void stop();

    // Why no question can be heard, when that is known; empty otherwise.
    QString unavailableReason() const { return m_synth.unavailableReason(); }

signals:
    void availabilityChanged();

private:
    SoundPlayer &m_sound;
    Prompter &m_prompter;
    Choices m_choices;
    QPointer<QCheckBox> m_soundOff;
    NoteSynth m_synth;
};

} // namespace velmora
