#pragma once

#include "music/phrase.h"
#include "sound/wavdecoder.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <optional>

class QCheckBox;

namespace velmora {

class Prompter;
class SoundPlayer;

// The "Listen" menu's state and the question's notes: rendered by the synthesizer in a thread of
// its own while the window goes on, played when they arrive, stopped by the next press.
class Listening : public QObject
{
    Q_OBJECT
public:
    struct Choices
    {
        bool hearEachQuestion = false;
        bool chordsByEar = false;
    };

    // `synthProgram`: the synthesizer to run; empty for the installed one.
    Listening(SoundPlayer &sound, Prompter &prompter, Choices choices, QObject *parent = nullptr,
              const QString &synthProgram = {});
    ~Listening() override;

    // "Hear each question" and the chord tab follow this box as the chimes do.
    void setSoundOff(QCheckBox *soundOff);

    bool hearEachQuestion() const { return m_choices.hearEachQuestion; }
    void setHearEachQuestion(bool on) { m_choices.hearEachQuestion = on; }
    bool chordsByEar() const { return m_choices.chordsByEar; }
    void setChordsByEar(bool on) { m_choices.chordsByEar = on; }

    // Plays `phrase` once it is rendered, whatever "Sound off" says ("Play the question"). False
    // when it is known at once that it will not be heard (nothing to play, no SoundFont, no sound
    // server); unheard() says so when that is found out later.
    bool play(const Phrase &phrase);
    // As the exercises play a question: not while "Sound off" is ticked.
    bool hear(const Phrase &phrase);
    // Stops what plays, and drops what is still being rendered.
    void stop();

    // Why no question can be heard, when that is known; empty otherwise.
    QString unavailableReason() const;

signals:
    void availabilityChanged();
    // The question last accepted by play() or hear() cannot be heard after all.
    void unheard();

private:
    class Renderer;
    void arrived(quint64 ticket, const std::optional<PcmSound> &sound, const QString &problem, const QString &failed);

    SoundPlayer &m_sound;
    Prompter &m_prompter;
    Choices m_choices;
    QPointer<QCheckBox> m_soundOff;
    QString m_failed; // why the synthesizer cannot render at all
    std::atomic<quint64> m_ticket = 0; // the phrase wanted now; older ones are not rendered
    QThread m_thread;
    Renderer *m_renderer; // lives in m_thread
};

} // namespace velmora
