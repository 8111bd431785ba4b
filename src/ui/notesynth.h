#pragma once

#include "music/phrase.h"
#include "ui/wavdecoder.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace velmora {

// Notes rendered to PCM by FluidSynth with a General MIDI SoundFont, on a grand piano. FluidSynth
// (with the sixty libraries it pulls in) and the SoundFont are loaded when first needed, never at
// start-up.
class NoteSynth
{
public:
    NoteSynth();
    ~NoteSynth();
    NoteSynth(const NoteSynth &) = delete;
    NoteSynth &operator=(const NoteSynth &) = delete;

    // The system's SoundFonts, where Debian installs them, in the order they are tried.
    static QStringList systemSoundFonts();
    static constexpr qint64 MaxUserSoundFontBytes = 64 * 1024 * 1024;

    // Why nothing can be rendered, found without loading anything; empty when something may be.
    QString unavailableReason() const;

    // Renders `phrase`, loading FluidSynth and the SoundFont first where needed: the user's own
    // velmora.sf2 when there is a usable one (looked for again at every call), else the system's.
    // `problem` says once why a user's SoundFont was passed over, or why nothing was rendered.
    std::optional<PcmSound> render(const Phrase &phrase, QString *problem = nullptr);

private:
    struct Fluid;
    bool loadSoundFont(const QString &path);

    std::unique_ptr<Fluid> m_fluid;
    QString m_failed;          // why FluidSynth or the system's SoundFont could not be loaded
    QString m_loadedFont;      // the SoundFont in the synthesizer now, with its size and time
    QString m_refusedUserFont; // a user's SoundFont already reported, with its size and time
};

} // namespace velmora
