#include "ui/notesynth.h"

#include "music/userfiles.h"

#include <QDateTime>
#include <QFileInfo>

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <dlfcn.h>

namespace velmora {

namespace {

constexpr int SampleRate = 44100;
constexpr int BlockFrames = 64;
constexpr int ReleaseMs = 600;     // the piano's decay after the last key is let go
constexpr float TargetPeak = 0.44f; // the chimes' level: never clips, seven notes together included
constexpr int Velocity = 90;
constexpr char Library[] = "libfluidsynth.so.3";
constexpr char SoundFontFolder[] = "/usr/share/sounds/sf2/";

template <typename F>
bool resolve(void *library, const char *name, F &function)
{
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

} // namespace

// FluidSynth's functions, looked up in the library loaded at first use.
struct NoteSynth::Fluid
{
    void *library = nullptr;
    decltype(&new_fluid_settings) newSettings;
    decltype(&delete_fluid_settings) deleteSettings;
    decltype(&fluid_settings_setint) setInt;
    decltype(&fluid_settings_setnum) setNum;
    decltype(&new_fluid_synth) newSynth;
    decltype(&delete_fluid_synth) deleteSynth;
    decltype(&fluid_synth_sfload) sfLoad;
    decltype(&fluid_synth_sfunload) sfUnload;
    decltype(&fluid_synth_program_select) programSelect;
    decltype(&fluid_synth_noteon) noteOn;
    decltype(&fluid_synth_noteoff) noteOff;
    decltype(&fluid_synth_system_reset) reset;
    decltype(&fluid_synth_write_float) writeFloat;
    decltype(&fluid_set_log_function) setLogFunction;
    fluid_settings_t *settings = nullptr;
    fluid_synth_t *synth = nullptr;
    int fontId = -1;

    ~Fluid()
    {
        if (synth)
            deleteSynth(synth);
        if (settings)
            deleteSettings(settings);
        // The library stays: what it loads (libinstpatch's GLib types) cannot be loaded twice.
    }

    bool open()
    {
        static void *const loaded = dlopen(Library, RTLD_NOW | RTLD_LOCAL);
        library = loaded;
        if (!library)
            return false;
        const bool found = resolve(library, "new_fluid_settings", newSettings)
            && resolve(library, "delete_fluid_settings", deleteSettings)
            && resolve(library, "fluid_settings_setint", setInt) && resolve(library, "fluid_settings_setnum", setNum)
            && resolve(library, "new_fluid_synth", newSynth) && resolve(library, "delete_fluid_synth", deleteSynth)
            && resolve(library, "fluid_synth_sfload", sfLoad) && resolve(library, "fluid_synth_sfunload", sfUnload)
            && resolve(library, "fluid_synth_program_select", programSelect)
            && resolve(library, "fluid_synth_noteon", noteOn) && resolve(library, "fluid_synth_noteoff", noteOff)
            && resolve(library, "fluid_synth_system_reset", reset)
            && resolve(library, "fluid_synth_write_float", writeFloat)
            && resolve(library, "fluid_set_log_function", setLogFunction);
        if (!found)
            return false;
        // Its messages are for its own users; ours learn of a problem from a return value.
        for (const int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            setLogFunction(level, nullptr, nullptr);
        settings = newSettings();
        if (!settings)
            return false;
        setNum(settings, "synth.sample-rate", SampleRate);
        // Some machines point the default at a SoundFont of 148 MB: only the samples played are read.
        setInt(settings, "synth.dynamic-sample-loading", 1);
        // Dry: reverb would cost most of the rendering, which every question waits for.
        setInt(settings, "synth.chorus.active", 0);
        setInt(settings, "synth.reverb.active", 0);
        setInt(settings, "synth.cpu-cores", 1);
        synth = newSynth(settings);
        return synth != nullptr;
    }
};

NoteSynth::NoteSynth() = default;
NoteSynth::~NoteSynth() = default;

QStringList NoteSynth::systemSoundFonts()
{
    QStringList fonts;
    for (const char *name : {"default-GM.sf2", "FluidR3_GM.sf2", "TimGM6mb.sf2", "default-GM.sf3", "FluidR3_GM.sf3",
                             "MuseScore_General.sf3"})
        fonts << QLatin1String(SoundFontFolder) + QLatin1String(name);
    return fonts;
}

QString NoteSynth::unavailableReason() const
{
    if (!m_failed.isEmpty())
        return m_failed;
    const QStringList fonts = systemSoundFonts();
    if (std::ranges::none_of(fonts, [](const QString &f) { return QFileInfo(f).isFile(); }))
        return QStringLiteral("No SoundFont: install timgm6mb-soundfont");
    return {};
}

namespace {

// A file saved anew under the same name is a new file.
QString identityOf(const QFileInfo &info)
{
    return info.filePath() + QLatin1Char('|') + QString::number(info.size()) + QLatin1Char('|')
        + info.lastModified().toString(Qt::ISODateWithMs);
}

} // namespace

bool NoteSynth::loadSoundFont(const QString &path)
{
    const QString identity = identityOf(QFileInfo(path));
    if (identity == m_loadedFont)
        return true;
    const int id = m_fluid->sfLoad(m_fluid->synth, QFile::encodeName(path).constData(), 1);
    if (id == FLUID_FAILED)
        return false;
    if (m_fluid->fontId >= 0)
        m_fluid->sfUnload(m_fluid->synth, m_fluid->fontId, 1);
    m_fluid->fontId = id;
    m_loadedFont = identity;
    return true;
}

std::optional<PcmSound> NoteSynth::render(const Phrase &phrase, QString *problem)
{
    const auto fail = [&](const QString &why) -> std::optional<PcmSound> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    if (!m_failed.isEmpty())
        return fail(m_failed);
    if (!m_fluid) {
        auto fluid = std::make_unique<Fluid>();
        if (!fluid->open()) {
            m_failed = QStringLiteral("FluidSynth could not be loaded: install libfluidsynth3");
            return fail(m_failed);
        }
        m_fluid = std::move(fluid);
    }

    // A user's own SoundFont first, if it is usable; reported once (per file and version) if not.
    bool loaded = false;
    const QString user = firstPresent(userFileSearch(QStringLiteral("velmora.sf2")));
    if (!user.isEmpty()) {
        const QFileInfo info(user);
        const QString identity = identityOf(info);
        const bool tooLarge = info.size() > MaxUserSoundFontBytes;
        // One refused already is not tried again at every question, only once it changes.
        loaded = identity != m_refusedUserFont && !tooLarge && info.isFile() && loadSoundFont(user);
        if (!loaded && identity != m_refusedUserFont) {
            m_refusedUserFont = identity;
            if (problem)
                *problem = tooLarge ? QStringLiteral("%1 is larger than 64 MB; the system's SoundFont plays instead.").arg(user)
                                    : QStringLiteral("%1 is not a SoundFont FluidSynth can read; the system's SoundFont plays instead.").arg(user);
        }
    }
    for (const QString &font : systemSoundFonts()) {
        if (loaded)
            break;
        loaded = QFileInfo(font).isFile() && loadSoundFont(font);
    }
    if (!loaded) {
        m_failed = QStringLiteral("No SoundFont could be loaded: install timgm6mb-soundfont");
        return fail(m_failed);
    }

    fluid_synth_t *synth = m_fluid->synth;
    m_fluid->reset(synth);
    m_fluid->programSelect(synth, 0, m_fluid->fontId, 0, 0); // grand piano

    // Key presses and releases in time order, then the blocks between them.
    struct Event
    {
        int frame;
        bool on;
        int key;
    };
    std::vector<Event> events;
    for (const Phrase::Note &note : phrase.notes) {
        const int key = std::clamp(note.key, 0, 127);
        events.push_back({note.startMs * SampleRate / 1000, true, key});
        events.push_back({(note.startMs + note.lengthMs) * SampleRate / 1000, false, key});
    }
    // At one moment, releases before presses, so that a key struck again sounds again.
    std::ranges::stable_sort(events, [](const Event &a, const Event &b) {
        return a.frame != b.frame ? a.frame < b.frame : (!a.on && b.on);
    });
    const int totalFrames = (phrase.lengthMs() + ReleaseMs) * SampleRate / 1000;
    std::vector<float> left(static_cast<size_t>(totalFrames));
    std::vector<float> right(static_cast<size_t>(totalFrames));
    size_t next = 0;
    for (int frame = 0; frame < totalFrames;) {
        while (next < events.size() && events[next].frame <= frame) {
            const Event &e = events[next++];
            e.on ? m_fluid->noteOn(synth, 0, e.key, Velocity) : m_fluid->noteOff(synth, 0, e.key);
        }
        int until = std::min(totalFrames, frame + BlockFrames);
        if (next < events.size())
            until = std::min(until, std::max(frame + 1, events[next].frame));
        m_fluid->writeFloat(synth, until - frame, left.data(), frame, 1, right.data(), frame, 1);
        frame = until;
    }

    float peak = 0;
    for (size_t i = 0; i < left.size(); ++i)
        peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
    const float gain = peak > 0 ? TargetPeak / peak : 0;
    PcmSound sound{SampleRate, 2, QByteArray(qsizetype(totalFrames) * 4, Qt::Uninitialized)};
    auto *out = reinterpret_cast<qint16 *>(sound.samples.data());
    for (size_t i = 0; i < left.size(); ++i) {
        out[2 * i] = qint16(std::lround(left[i] * gain * 32767));
        out[2 * i + 1] = qint16(std::lround(right[i] * gain * 32767));
    }
    return sound;
}

} // namespace velmora
