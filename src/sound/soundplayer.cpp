#include "sound/soundplayer.h"

#include "sound/soundfiles.h"
#include "sound/pulseoutput.h"
#include "sound/wavdecoder.h"

#include <QPointer>

namespace velmora {

namespace {

// Beyond the sound's own length: time for the server to take the stream, and for its drain report
// to come back. Only a server that has stopped answering ever uses all of it.
constexpr std::chrono::milliseconds WaitMargin{1000};

} // namespace

ServerSoundPlayer::ServerSoundPlayer(const QString &server) : m_output(std::make_unique<PulseOutput>(server.toLocal8Bit()))
{
}

ServerSoundPlayer::~ServerSoundPlayer() = default;

void ServerSoundPlayer::play(const QString &relativePath, QObject *receiver, std::function<void()> heard)
{
    const std::optional<LoadedSound> sound = loadSound(relativePath);
    if (!sound) {
        heard();
        return;
    }
    m_output->play(sound->pcm, WaitMargin, [receiver = QPointer<QObject>(receiver), heard = std::move(heard)](PulseOutput::Result) {
        if (receiver)
            heard();
    });
}

bool ServerSoundPlayer::startDetached(const PcmSound &sound)
{
    return m_output->startDetached(sound);
}

bool ServerSoundPlayer::prepareDetached()
{
    return m_output->prepareDetached();
}

void ServerSoundPlayer::stopDetached()
{
    m_output->stopDetached();
}

} // namespace velmora
