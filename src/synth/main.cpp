// velmora-synth: renders the questions' phrases on a grand piano with FluidSynth, from the
// SoundFont that Velmora opened and hands over as descriptor 3. Velmora runs it as a child
// process: a SoundFont is a user's file, and FluidSynth (and what it calls) crashing, hanging or
// eating memory on a hostile one costs Velmora a message and the system's SoundFont, never its
// own process. The protocol is in synthwire.h.
#include "sandbox/sandbox.h"
#include "synth/synthwire.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

namespace wire = velmora::synthwire;

namespace {

constexpr int BlockFrames = 64;
constexpr double TargetRms = 0.285; // of full scale: the chimes' loudest 50 ms
constexpr float Ceiling = 0.95f;
constexpr int Velocity = 90;

struct Note
{
    int key, startMs, lengthMs;
};

bool writeAll(const void *data, std::size_t size)
{
    const auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes, size);
        if (n <= 0)
            return false;
        bytes += n;
        size -= std::size_t(n);
    }
    return true;
}

int refuse(const char *why)
{
    std::printf("refused %s\n", why);
    std::fflush(stdout);
    return 1;
}

// The gain for each frame that brings the loudest 50 ms of a phrase to the chimes' level, and keeps
// every sample under full scale: a piano's strike is far above its average, where a chime's is not,
// so a gain set by the peaks leaves a question some 10 dB quieter than the chimes. The few strikes
// that would then clip are turned down smoothly (a look-ahead limiter, worked offline).
std::vector<float> levelled(const std::vector<float> &left, const std::vector<float> &right)
{
    const std::size_t frames = left.size();
    std::vector<float> gain(frames, 0.0f);
    const auto window = std::size_t(wire::SampleRate / 20);
    double sum = 0, loudest = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        sum += double(left[i]) * left[i] + double(right[i]) * right[i];
        if (i >= window)
            sum -= double(left[i - window]) * left[i - window] + double(right[i - window]) * right[i - window];
        loudest = std::max(loudest, sum);
    }
    const double rms = std::sqrt(loudest / (2.0 * double(std::min(window, std::max<std::size_t>(frames, 1)))));
    if (rms <= 0)
        return gain;
    const auto overall = float(TargetRms / rms);
    // What each frame may have so that it stays under the ceiling.
    for (std::size_t i = 0; i < frames; ++i) {
        const float peak = std::max(std::abs(left[i]), std::abs(right[i])) * overall;
        gain[i] = peak > Ceiling ? Ceiling / peak : 1.0f;
    }
    // Turned down a little before each strike and brought back up slowly after it, never above
    // what any frame allows.
    const float attack = 1.0f / (0.002f * wire::SampleRate), release = 1.0f / (0.080f * wire::SampleRate);
    for (std::size_t i = 1; i < frames; ++i)
        gain[i] = std::min(gain[i], gain[i - 1] + (1.0f - gain[i - 1]) * release);
    for (std::size_t i = frames - 1; i-- > 0;)
        gain[i] = std::min(gain[i], gain[i + 1] + (1.0f - gain[i + 1]) * attack);
    for (float &g : gain)
        g *= overall;
    return gain;
}

// The phrase, the keys pressed and let go in time order, normalised to the chimes' level.
std::vector<std::int16_t> render(fluid_synth_t *synth, int fontId, const std::vector<Note> &notes, int lengthMs)
{
    struct Event
    {
        int frame;
        bool on;
        int key;
    };
    std::vector<Event> events;
    for (const Note &note : notes) {
        const int key = std::clamp(note.key, 0, 127);
        events.push_back({note.startMs * (wire::SampleRate / 1000), true, key});
        events.push_back({(note.startMs + note.lengthMs) * (wire::SampleRate / 1000), false, key});
    }
    // At one moment, releases before presses, so that a key struck again sounds again.
    std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) {
        return a.frame != b.frame ? a.frame < b.frame : (!a.on && b.on);
    });
    const int total = wire::framesFor(lengthMs);
    std::vector<float> left(static_cast<std::size_t>(total)), right(static_cast<std::size_t>(total));
    fluid_synth_system_reset(synth);
    fluid_synth_program_select(synth, 0, fontId, 0, 0); // grand piano
    std::size_t next = 0;
    for (int frame = 0; frame < total;) {
        while (next < events.size() && events[next].frame <= frame) {
            const Event &e = events[next++];
            e.on ? fluid_synth_noteon(synth, 0, e.key, Velocity) : fluid_synth_noteoff(synth, 0, e.key);
        }
        int until = std::min(total, frame + BlockFrames);
        if (next < events.size())
            until = std::min(until, std::max(frame + 1, events[next].frame));
        fluid_synth_write_float(synth, until - frame, left.data(), frame, 1, right.data(), frame, 1);
        frame = until;
    }
    const std::vector<float> gain = levelled(left, right);
    std::vector<std::int16_t> pcm(left.size() * 2);
    for (std::size_t i = 0; i < left.size(); ++i) {
        pcm[2 * i] = std::int16_t(std::lround(left[i] * gain[i] * 32767));
        pcm[2 * i + 1] = std::int16_t(std::lround(right[i] * gain[i] * 32767));
    }
    return pcm;
}

} // namespace

int main(int argc, char **argv)
{
    // It ends with Velmora, however Velmora ends.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() == 1)
        return 1;
    velmora::sandbox::limitResources(RLIM_INFINITY, rlim_t(wire::AddressSpace));
    if (argc == 2 && std::strcmp(argv[1], "--sandbox-check") == 0)
        return velmora::sandbox::check(true);
    // The load gets 2 s of processor; the renders after it the time Velmora waits for each.
    const rlimit loading{rlim_t(wire::LoadCpuSeconds), RLIM_INFINITY};
    setrlimit(RLIMIT_CPU, &loading);

    // Its messages are for its own users; Velmora learns of a problem from the protocol.
    for (const int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, nullptr, nullptr);
    fluid_settings_t *settings = new_fluid_settings();
    if (!settings)
        return refuse("FluidSynth cannot start");
    fluid_settings_setnum(settings, "synth.sample-rate", wire::SampleRate);
    // Every sample read at the load: once the sandbox is shut, no file can be opened.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 0);
    // Dry: reverb would cost most of the rendering, which every question waits for.
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    fluid_synth_t *synth = new_fluid_synth(settings);
    char font[32];
    std::snprintf(font, sizeof font, "/proc/self/fd/%d", wire::SoundFontFd);
    const int fontId = synth ? fluid_synth_sfload(synth, font, 1) : FLUID_FAILED;
    if (fontId == FLUID_FAILED)
        return refuse("it is not a SoundFont FluidSynth can read");
    ::close(wire::SoundFontFd);
    if (fluid_synth_program_select(synth, 0, fontId, 0, 0) != FLUID_OK)
        return refuse("it holds no grand piano (bank 0, program 0)");
    // Loaded: from here on the renders get the time a question can wait, and nothing else.
    const rlimit cpu{RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_CPU, &cpu);
    if (!velmora::sandbox::enter(true))
        return refuse("the synthesizer cannot shut itself off from files and the network");
    std::printf("ready\n");
    std::fflush(stdout);

    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        int count = 0;
        if (std::sscanf(line, "render %d", &count) != 1 || count < 0 || count > wire::MaxNotes)
            return 2;
        std::vector<Note> notes;
        int lengthMs = 0;
        for (int i = 0; i < count; ++i) {
            Note note{};
            if (!std::fgets(line, sizeof line, stdin) || std::sscanf(line, "%d %d %d", &note.key, &note.startMs, &note.lengthMs) != 3
                || note.startMs < 0 || note.lengthMs < 0 || note.startMs + note.lengthMs > wire::MaxPhraseMs)
                return 2;
            notes.push_back(note);
            lengthMs = std::max(lengthMs, note.startMs + note.lengthMs);
        }
        const std::vector<std::int16_t> pcm = render(synth, fontId, notes, lengthMs);
        std::printf("pcm %zu\n", pcm.size() / 2);
        std::fflush(stdout);
        if (!writeAll(pcm.data(), pcm.size() * sizeof(std::int16_t)))
            return 1;
    }
    return 0;
}
