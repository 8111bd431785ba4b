#include "soundplayer.h"

#include "assets.h"

#include <QAudioDevice>
#include <QEventLoop>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace velmora {

namespace {

// Room for the backend to open the device and drain its buffer beyond the sound itself.
constexpr int WaitMarginMs = 400;

QUrl urlOf(const QString &file)
{
    return file.startsWith(QLatin1String(":/")) ? QUrl(QStringLiteral("qrc") + file) : QUrl::fromLocalFile(file);
}

} // namespace

DeviceSoundPlayer::DeviceSoundPlayer() = default;
DeviceSoundPlayer::~DeviceSoundPlayer() = default;

void DeviceSoundPlayer::play(const QString &relativePath)
{
    // Without an output device QSoundEffect claims to play forever, so there is nothing to wait for.
    if (QMediaDevices::audioOutputs().isEmpty())
        return;
    const QString file = soundFile(relativePath);
    if (!playToEnd(file) && !file.startsWith(QLatin1String(":/")))
        playToEnd(builtInAsset(relativePath));
}

bool DeviceSoundPlayer::playToEnd(const QString &file)
{
    const WavInfo info = inspectWavFile(file);
    if (!info.playable)
        return false;

    m_effect = std::make_unique<QSoundEffect>();
    QSoundEffect &effect = *m_effect;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, &QEventLoop::quit);
    QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, &QEventLoop::quit);

    // Clicks that arrive meanwhile wait until the sound has ended; the window may still repaint.
    const auto waitWhile = [&](auto condition) {
        while (condition() && deadline.isActive())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    };

    deadline.start(info.durationMs + WaitMarginMs);
    effect.setSource(urlOf(file));
    waitWhile([&] { return effect.status() == QSoundEffect::Loading || effect.status() == QSoundEffect::Null; });
    if (effect.status() != QSoundEffect::Ready)
        return false;

    deadline.start(info.durationMs + WaitMarginMs);
    effect.play();
    // Some backends report playing only once the device has started.
    bool started = false;
    waitWhile([&] {
        started = started || effect.isPlaying();
        return !started || effect.isPlaying();
    });
    return true;
}

} // namespace velmora
