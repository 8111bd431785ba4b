#pragma once

#include <QString>

#include <memory>

class QSoundEffect;

namespace velmora {

// Plays a sound named relative to the working directory ("sound/2.wav") and returns when it has
// ended. Nothing about sound is ever reported to the user.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString &relativePath) = 0;
};

class DeviceSoundPlayer : public SoundPlayer
{
public:
    DeviceSoundPlayer();
    ~DeviceSoundPlayer() override;
    void play(const QString &relativePath) override;

private:
    bool playToEnd(const QString &file);

    // Kept after the wait: some backends report the end of a sound late, and the wait is bounded,
    // so the last sound is left to finish rather than cut off.
    std::unique_ptr<QSoundEffect> m_effect;
};

} // namespace velmora
