#include "ui/pulseoutput.h"

#include "ui/wavdecoder.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QScopeGuard>
#include <QTimer>

#include <pulse/context.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include <algorithm>

namespace velmora {

namespace {
constexpr pa_usec_t BufferUsec = 25'000;
constexpr std::chrono::milliseconds HeartbeatTimeout{500};
} // namespace

// Every call into libpulse from the GUI thread is made under this lock, and none of them blocks:
// libpulse's thread holds the lock only while it runs one of the callbacks below.
class PulseOutput::Lock
{
public:
    explicit Lock(pa_threaded_mainloop *mainloop) : m_mainloop(mainloop) { pa_threaded_mainloop_lock(m_mainloop); }
    ~Lock() { pa_threaded_mainloop_unlock(m_mainloop); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    pa_threaded_mainloop *m_mainloop;
};

// One sound on its way to the server; its callbacks run in libpulse's thread, under the lock.
struct PulseOutput::Playback
{
    using Clock = std::chrono::steady_clock;

    PulseOutput *owner;
    QByteArray samples; // shared with the decoded sound, kept as long as the stream may read it
    qsizetype written = 0;
    pa_stream *stream = nullptr;
    pa_operation *drain = nullptr;
    bool drained = false;
    bool failed = false;
    Clock::time_point drainedAt;
    Clock::time_point lastHeard = Clock::now(); // when the server last said anything about the stream

    Playback(PulseOutput *output, QByteArray pcm) : owner(output), samples(std::move(pcm)) {}
    // The lock is recursive, so this serves callers that hold it already.
    ~Playback()
    {
        const Lock lock(owner->m_mainloop);
        detach();
    }
    Playback(const Playback &) = delete;
    Playback &operator=(const Playback &) = delete;

    bool finished() const { return drained || failed; }

    static void onState(pa_stream *stream, void *self)
    {
        auto *p = static_cast<Playback *>(self);
        p->lastHeard = Clock::now();
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
            p->failed = true;
            p->owner->wake();
        }
    }

    static void onWritable(pa_stream *stream, size_t requested, void *self)
    {
        auto *p = static_cast<Playback *>(self);
        p->lastHeard = Clock::now();
        const qsizetype n = std::min(qsizetype(requested), p->samples.size() - p->written);
        if (n > 0 && pa_stream_write(stream, p->samples.constData() + p->written, size_t(n), nullptr, 0, PA_SEEK_RELATIVE) == 0)
            p->written += n;
        if (p->written == p->samples.size() && !p->drain)
            p->drain = pa_stream_drain(stream, &Playback::onDrained, p);
    }

    // Timing replies come about every 100 ms while the server is alive: the heartbeat that tells
    // a server slow to drain (a long device latency) from one that has stopped answering.
    static void onTimingUpdate(pa_stream *, void *self) { static_cast<Playback *>(self)->lastHeard = Clock::now(); }

    static void onDrained(pa_stream *, int success, void *self)
    {
        auto *p = static_cast<Playback *>(self);
        (success ? p->drained : p->failed) = true;
        p->drainedAt = Clock::now();
        p->owner->wake();
    }

    // Under the lock: after this no callback can reach this object.
    void detach()
    {
        if (drain) {
            pa_operation_cancel(drain);
            pa_operation_unref(drain);
            drain = nullptr;
        }
        if (stream) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_set_write_callback(stream, nullptr, nullptr);
            pa_stream_set_latency_update_callback(stream, nullptr, nullptr);
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
            stream = nullptr;
        }
    }
};

PulseOutput::PulseOutput(QByteArray server) : m_server(std::move(server)) {}

PulseOutput::~PulseOutput()
{
    if (!m_mainloop)
        return;
    {
        const Lock lock(m_mainloop);
        m_lingering.reset();
        dropContext();
    }
    pa_threaded_mainloop_stop(m_mainloop);
    pa_threaded_mainloop_free(m_mainloop);
}

bool PulseOutput::startMainloop()
{
    if (m_mainloop)
        return true;
    m_mainloop = pa_threaded_mainloop_new();
    if (m_mainloop && pa_threaded_mainloop_start(m_mainloop) == 0)
        return true;
    if (m_mainloop)
        pa_threaded_mainloop_free(m_mainloop);
    m_mainloop = nullptr;
    return false;
}

void PulseOutput::wake()
{
    // From libpulse's thread: a queued call is the one safe way into the GUI thread. A report
    // that arrives after its wait has ended only makes the next wait look again.
    QMetaObject::invokeMethod(&m_waker, [this] {
        if (m_waiting)
            m_waiting->quit();
    }, Qt::QueuedConnection);
}

void PulseOutput::onContextState(pa_context *, void *self)
{
    static_cast<PulseOutput *>(self)->wake();
}

// Under the lock. Starts connecting and returns at once; the outcome arrives as a state change.
void PulseOutput::connectContext()
{
    dropContext();
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Velmora");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "velmora");
    m_context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_mainloop), "Velmora", properties);
    pa_proplist_free(properties);
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, &PulseOutput::onContextState, this);
    // Never start a sound server on the user's behalf.
    const char *server = m_server.isEmpty() ? nullptr : m_server.constData();
    if (pa_context_connect(m_context, server, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        dropContext();
}

// Under the lock.
void PulseOutput::dropContext()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

// Under the lock: the context is ready, or will never be.
bool PulseOutput::contextSettled() const
{
    if (!m_context)
        return true;
    const pa_context_state_t state = pa_context_get_state(m_context);
    return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
}

template <typename Done>
PulseOutput::Wait PulseOutput::waitUntil(Done done, const QDeadlineTimer &deadline)
{
    for (;;) {
        {
            const Lock lock(m_mainloop);
            if (done())
                return Wait::Done;
        }
        if (deadline.hasExpired())
            return Wait::Expired;
        QEventLoop loop;
        QTimer::singleShot(std::max<qint64>(1, deadline.remainingTime()), &loop, &QEventLoop::quit);
        m_waiting = &loop;
        // The window keeps painting; clicks and keys wait until the sound has ended.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        m_waiting = nullptr;
    }
}

PulseOutput::Result PulseOutput::play(const PcmSound &sound, std::chrono::milliseconds margin)
{
    // Presses are held while a sound plays, so nothing should get here twice; were it to, the
    // sound that is playing is left alone rather than replaced under its own wait.
    if (m_playing || !startMainloop())
        return Result::NoServer;
    m_playing = true;
    const auto done = qScopeGuard([this] { m_playing = false; });
    const QDeadlineTimer deadline(sound.durationMs() + margin.count());

    {
        const Lock lock(m_mainloop);
        const bool ready = m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
        if (m_unresponsive) {
            // A server that failed to answer in time is asked again without waiting: the
            // connection started then (or now) is used once it has come up.
            if (!ready) {
                if (contextSettled())
                    connectContext();
                return Result::NoServer;
            }
            m_unresponsive = false;
        } else if (!ready) {
            connectContext();
        }
        if (!m_context)
            return Result::NoServer;
    }

    if (waitUntil([this] { return contextSettled(); }, deadline) == Wait::Expired) {
        m_unresponsive = true;
        return Result::TimedOut;
    }

    auto playback = std::make_unique<Playback>(this, sound.samples);
    {
        const Lock lock(m_mainloop);
        if (m_lingering && m_lingering->finished())
            m_lingering.reset();
        if (!m_context || pa_context_get_state(m_context) != PA_CONTEXT_READY)
            return Result::NoServer;
        const pa_sample_spec format{PA_SAMPLE_S16NE, uint32_t(sound.sampleRate), uint8_t(sound.channels)};
        pa_proplist *properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "event");
        playback->stream = pa_stream_new_with_proplist(m_context, "Velmora", &format, nullptr, properties);
        pa_proplist_free(properties);
        if (!playback->stream)
            return Result::Failed;
        pa_stream_set_state_callback(playback->stream, &Playback::onState, playback.get());
        pa_stream_set_write_callback(playback->stream, &Playback::onWritable, playback.get());
        pa_stream_set_latency_update_callback(playback->stream, &Playback::onTimingUpdate, playback.get());
        // A short buffer: the chime starts at once, and the sink has little to mix over again
        // when the stream joins it (a null sink's monitor would lose that part).
        pa_buffer_attr buffer{uint32_t(-1), uint32_t(pa_usec_to_bytes(BufferUsec, &format)), uint32_t(-1), uint32_t(-1),
                              uint32_t(-1)};
        const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE);
        if (pa_stream_connect_playback(playback->stream, nullptr, &buffer, flags, nullptr, nullptr) < 0)
            return Result::Failed;
    }

    const Wait wait = waitUntil([&] { return playback->finished(); }, deadline);
    const Lock lock(m_mainloop);
    if (wait == Wait::Expired) {
        if (Playback::Clock::now() - playback->lastHeard < HeartbeatTimeout) {
            // Alive but slow to report the end (a device with a long latency): the wait is over,
            // and the sound is left to finish rather than cut off.
            m_lingering = std::move(playback);
            return Result::TimedOut;
        }
        // The server has stopped answering: later sounds do not wait for it until it answers again.
        m_unresponsive = true;
        connectContext();
        return Result::TimedOut;
    }
    if (!playback->drained)
        return Result::Failed;
    m_lastDrainReport = playback->drainedAt;
    return Result::Drained;
}

} // namespace velmora
