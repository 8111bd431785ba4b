#pragma once

#include <QString>

#include <functional>
#include <memory>

class QObject;

namespace velmora {

struct PcmSound;

// The program's four sounds, by the names a teacher's own copies take.
namespace sounds {
inline const QString Quit = QStringLiteral("sound/1.wav");
inline const QString Correct = QStringLiteral("sound/2.wav");
inline const QString Start = QStringLiteral("sound/3.wav"); // also the About tab's tune
inline const QString Incorrect = QStringLiteral("sound/4.wav");
} // namespace sounds

// Plays sounds and says when they have been heard. Nothing about sound is ever reported to the
// user.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;

    // Plays a sound named relative to the working directory ("sound/2.wav") and returns at once.
    // `heard` runs, while `receiver` lives, once the sound has been heard to its end or cannot be
    // heard any longer; when there is nothing to hear (no file, no server), before play() returns.
    virtual void play(const QString &relativePath, QObject *receiver, std::function<void()> heard) = 0;

    // A sound that plays while the program goes on (a question's notes), until it ends, the next
    // one starts or stopDetached() is called. False when nothing could be started.
    virtual bool startDetached(const PcmSound &) { return false; }
    // Readies the way for a sound to be started detached soon (a question being rendered); false
    // when none could be heard now.
    virtual bool prepareDetached() { return true; }
    virtual void stopDetached() {}
};

class PulseOutput;

// Plays through the desktop's sound server (PulseAudio, or PipeWire's PulseAudio service). A sound
// is heard when the server reports it drained, or at most its length and a margin after it was
// asked for. Where no server answers, nothing plays and it is heard at once.
class ServerSoundPlayer : public SoundPlayer
{
public:
    // `server` as in PULSE_SERVER ("unix:/run/user/1000/pulse/native"); empty: the user's own.
    explicit ServerSoundPlayer(const QString &server = QString());
    ~ServerSoundPlayer() override;

    void play(const QString &relativePath, QObject *receiver, std::function<void()> heard) override;
    bool startDetached(const PcmSound &sound) override;
    bool prepareDetached() override;
    void stopDetached() override;

private:
    std::unique_ptr<PulseOutput> m_output;
};

} // namespace velmora
