#pragma once

#include <QString>

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
    void play(const QString &relativePath) override;

private:
    static bool playToEnd(const QString &file);
};

} // namespace velmora
