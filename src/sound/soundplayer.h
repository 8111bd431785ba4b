#pragma once

#include <QString>

#include <memory>

namespace velmora {

struct PcmSound;

// The program's four sounds, by the names a teacher's own copies take.
namespace sounds {
inline const QString Quit = QStringLiteral("sound/1.wav");
inline const QString Correct = QStringLiteral("sound/2.wav");
inline const QString Start = QStringLiteral("sound/3.wav"); // also the About tab's tune
inline const QString Incorrect = QStringLiteral("sound/4.wav");
} // namespace sounds

// Plays a sound named relative to the working directory ("sound/2.wav") and returns when it has
// been heard to its end; the window paints meanwhile, and user input waits. Nothing about sound
// is ever reported to the user.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;

    virtual void play(const QString &relativePath) = 0;

    // A sound that plays while the program goes on (a question's notes), until it ends, the next
    // one starts or stopDetached() is called. False when nothing could be started.
    virtual bool startDetached(const PcmSound &) { return false; }
    // Readies the way for a sound to be started detached soon (a question being rendered); false
    // when none could be heard now.
    virtual bool prepareDetached() { return true; }
    virtual void stopDetached() {}
};

class PulseOutput;

// Plays through the desktop's sound server (PulseAudio, or PipeWire's PulseAudio service), and
// waits until the server reports the sound drained, or at most the sound's length and a margin.
// Where no server answers, nothing plays and nothing waits.
class ServerSoundPlayer : public SoundPlayer
{
public:
    // `server` as in PULSE_SERVER ("unix:/run/user/1000/pulse/native"); empty: the user's own.
    explicit ServerSoundPlayer(const QString &server = QString());
    ~ServerSoundPlayer() override;

    void play(const QString &relativePath) override;
    bool startDetached(const PcmSound &sound) override;
    bool prepareDetached() override;
    void stopDetached() override;

private:
    std::unique_ptr<PulseOutput> m_output;
};

} // namespace velmora
