#pragma once

#include "music/phrase.h"
#include "sound/wavdecoder.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QProcess;

namespace velmora {

// Notes rendered to PCM on a grand piano by our synthesizer, velmora-synth: FluidSynth in a child
// process of its own, sandboxed once it has loaded the SoundFont that this class opens and hands
// it. The child starts at the first question played, never at start-up, and keeps the SoundFont
// loaded until it changes. A SoundFont that crashes it, holds it past its time, floods it or
// plays nothing is reported once, and the system's SoundFont serves in a fresh child.
class NoteSynth
{
public:
    explicit NoteSynth(QString program = installedProgram());
    ~NoteSynth();
    NoteSynth(const NoteSynth &) = delete;
    NoteSynth &operator=(const NoteSynth &) = delete;

    // velmora-synth beside the program, or in its libexec folder when installed.
    static QString installedProgram();
    // The system's SoundFonts, where Debian installs them, in the order they are tried.
    static QStringList systemSoundFonts();
    static constexpr qint64 MaxUserSoundFontBytes = 64 * 1024 * 1024;
    // What the child may take: to load a SoundFont, and to render one phrase.
    static constexpr int LoadTimeoutMs = 3000;
    static constexpr int RenderTimeoutMs = 250;

    // Why nothing can be rendered: what the last render found, or no SoundFont in sight; empty
    // when something may be.
    QString unavailableReason() const;
    // No SoundFont in sight, found without loading anything; empty when there is one.
    static QString missingSoundFont();

    // Renders `phrase` with the user's own velmora.sf2 when there is a usable one (looked for
    // again at every call), else the system's. `problem` says once why a user's SoundFont was
    // passed over, or why nothing was rendered.
    std::optional<PcmSound> render(const Phrase &phrase, QString *problem = nullptr);

private:
    // Starts a child on `path`; empty when it is ready, else why not.
    QString start(const QString &path);
    void stop();
    std::optional<PcmSound> renderInChild(const Phrase &phrase, QString *why);

    QString m_program;
    std::unique_ptr<QProcess> m_child;
    QString m_loadedFont;      // the SoundFont in the child now, with its size and time
    QString m_failed;          // why no SoundFont at all can be used
    QString m_refusedUserFont; // a user's SoundFont already reported, with its size and time
};

} // namespace velmora
