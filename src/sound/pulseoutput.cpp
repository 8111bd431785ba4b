#include "sound/pulseoutput.h"

#include "sound/wavdecoder.h"

#include <QDeadlineTimer>
#include <QTimer>

#include <pulse/context.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <optional>

namespace velmora {

namespace {
// How often the server asks for data, and so the sink latency the stream asks for: short, so that a
// sound starts at once and a sink that must mix over what it had rendered has little to redo (a
// null sink's monitor would lose that part).
constexpr pa_usec_t RequestUsec = 10'000;
// The server keeps at most this much of a stream queued (PulseAudio's own limit): a sound that fits
// is handed over whole, so a client late under load can never starve it; a longer one keeps this
// much, over 20 s of 48 kHz stereo, queued ahead.
constexpr uint32_t MaxQueuedBytes = 4 * 1024 * 1024;
// Playback starts once this much has arrived, while the rest of a long sound still travels.
constexpr pa_usec_t StartUsec = 100'000;
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
    bool question; // a question's notes, rather than a sound the window waits for
    QByteArray samples; // shared with the decoded sound, kept as long as the stream may read it
    pa_usec_t lengthUsec;
    qsizetype written = 0;
    pa_stream *stream = nullptr;
    pa_operation *drain = nullptr;
    pa_operation *timing = nullptr;
    bool started = false; // the server has begun to play it
    bool drained = false; // the server has reported the queue played out
    bool failed = false;
    bool timingFresh = false; // the server has reported the stream's timing since all was queued
    Clock::time_point timingAt; // when the server's last timing report arrived
    const Clock::time_point createdAt = Clock::now();
    Clock::time_point lastHeard = createdAt; // when the server last said anything about the stream

    Playback(PulseOutput *output, bool isQuestion, QByteArray pcm, pa_usec_t length)
        : owner(output), question(isQuestion), samples(std::move(pcm)), lengthUsec(length)
    {
    }
    // The lock is recursive, so this serves callers that hold it already.
    ~Playback()
    {
        const Lock lock(owner->m_mainloop);
        detach();
    }
    Playback(const Playback &) = delete;
    Playback &operator=(const Playback &) = delete;

    bool finished() const { return drained || failed; }

    // Under the lock. How long until the sink has played the last sample, on the server's own
    // clock for the stream; nothing while that is not known yet.
    std::optional<std::chrono::microseconds> untilHeard() const
    {
        using std::chrono::microseconds;
        const pa_timing_info *info = stream && timingFresh ? pa_stream_get_timing_info(stream) : nullptr;
        if (!info)
            return std::nullopt;
        if (info->playing) {
            // Interpolated on from the server's last report.
            pa_usec_t played = 0;
            if (pa_stream_get_time(stream, &played) < 0)
                return std::nullopt;
            return microseconds(played >= lengthUsec ? 0 : lengthUsec - played);
        }
        if (info->read_index < qint64(samples.size()))
            return std::nullopt; // not started yet
        // All of it has left the queue, and the stream stopped there: what the sink held then is
        // all that is left to play.
        const auto sinceReport = std::chrono::duration_cast<microseconds>(Clock::now() - timingAt);
        return std::max(microseconds(0), microseconds(info->sink_usec + info->transport_usec) - sinceReport);
    }

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
        p->drainOnceStarted(stream);
    }

    static void onStarted(pa_stream *stream, void *self)
    {
        auto *p = static_cast<Playback *>(self);
        p->lastHeard = Clock::now();
        p->started = true;
        p->drainOnceStarted(stream);
    }

    // A drain asked for before playback has started makes the server start the stream with a
    // rewind that a sink's monitor loses the first milliseconds of: asked for once it plays.
    void drainOnceStarted(pa_stream *s)
    {
        if (started && written == samples.size() && !drain)
            drain = pa_stream_drain(s, &Playback::onDrained, this);
    }

    // Timing replies come about every 100 ms while the server is alive: the heartbeat that tells
    // a server slow to drain (a long device latency) from one that has stopped answering. Once the
    // whole sound is queued, they also tell when it will have been played.
    static void onTimingUpdate(pa_stream *, void *self)
    {
        auto *p = static_cast<Playback *>(self);
        p->lastHeard = p->timingAt = Clock::now();
        if (p->written == p->samples.size()) {
            p->timingFresh = true;
            p->owner->wake();
        }
    }

    static void onDrained(pa_stream *stream, int success, void *self)
    {
        auto *p = static_cast<Playback *>(self);
        p->lastHeard = Clock::now();
        if (!success) {
            p->failed = true;
            p->owner->wake();
            return;
        }
        p->drained = true;
        // The queue is empty, but the sink may still hold the end of the sound: ask where its
        // playback is now, and count on from there.
        p->timing = pa_stream_update_timing_info(stream, &Playback::onTimingAfterDrain, p);
        if (!p->timing)
            p->failed = true;
        p->owner->wake();
    }

    static void onTimingAfterDrain(pa_stream *, int success, void *self)
    {
        auto *p = static_cast<Playback *>(self);
        p->lastHeard = p->timingAt = Clock::now();
        (success ? p->timingFresh : p->failed) = true;
        p->owner->wake();
    }

    // Under the lock: after this no callback can reach this object.
    void detach()
    {
        for (pa_operation **operation : {&drain, &timing}) {
            if (*operation) {
                pa_operation_cancel(*operation);
                pa_operation_unref(*operation);
                *operation = nullptr;
            }
        }
        if (stream) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_set_write_callback(stream, nullptr, nullptr);
            pa_stream_set_latency_update_callback(stream, nullptr, nullptr);
            pa_stream_set_started_callback(stream, nullptr, nullptr);
            owner->close(std::exchange(stream, nullptr), question);
        }
    }
};

// Under the lock. A stream the server has not yet confirmed cannot be disconnected (libpulse
// refuses), and one merely unreferenced stays on the server for the rest of the session: it is
// kept until the server's answer, and disconnected then.
void PulseOutput::close(pa_stream *stream, bool question)
{
    if (pa_stream_get_state(stream) != PA_STREAM_CREATING) {
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
        return;
    }
    m_closing.push_back({stream, question});
    pa_stream_set_state_callback(stream, &PulseOutput::onClosingState, this);
}

// In libpulse's thread, which holds a reference to the stream for the length of the call.
void PulseOutput::onClosingState(pa_stream *stream, void *self)
{
    auto *output = static_cast<PulseOutput *>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY) {
        pa_stream_disconnect(stream);
        return;
    }
    if (PA_STREAM_IS_GOOD(state))
        return;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    std::erase_if(output->m_closing, [stream](const Closing &c) { return c.stream == stream; });
    pa_stream_unref(stream);
    output->startWanted();
}

// Under the lock: the question asked for while another was still being set up, once none is.
void PulseOutput::startWanted()
{
    if (!m_wanted || std::any_of(m_closing.begin(), m_closing.end(), [](const Closing &c) { return c.question; }))
        return;
    if (m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY)
        m_detached = startStream(*m_wanted, true);
    m_wanted.reset();
}

PulseOutput::PulseOutput(QByteArray server) : m_server(std::move(server)), m_lookTimer(new QTimer(&m_waker))
{
    m_lookTimer->setSingleShot(true);
    m_lookTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_lookTimer, &QTimer::timeout, &m_waker, [this] { lookAgain(); });
}

PulseOutput::~PulseOutput()
{
    if (!m_mainloop)
        return;
    {
        const Lock lock(m_mainloop);
        m_waited.reset(); // its outcome is never told
        m_detached.reset();
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
    // that arrives after its sound's outcome was told only makes the next look come sooner.
    QMetaObject::invokeMethod(&m_waker, [this] {
        if (m_mainloop) {
            const Lock lock(m_mainloop);
            pruneLingering();
        }
        lookAgain();
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
    // Their streams end with the context.
    m_lingering.clear();
    m_detached.reset();
    m_wanted.reset();
    for (const Closing &c : std::exchange(m_closing, {})) {
        pa_stream_set_state_callback(c.stream, nullptr, nullptr);
        pa_stream_unref(c.stream);
    }
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

// Under the lock: streams that ended, and streams of a server that has stopped answering them,
// are let go; the others play on.
void PulseOutput::pruneLingering()
{
    const auto now = Playback::Clock::now();
    std::erase_if(m_lingering, [&](const std::unique_ptr<Playback> &p) {
        if (p->drained)
            m_unresponsive = false; // the server really played it
        return p->finished() || now - p->lastHeard > HeartbeatTimeout + std::chrono::microseconds(p->lengthUsec);
    });
}

// Under the lock: a stream for `sound` on the ready context, connected and starting.
std::unique_ptr<PulseOutput::Playback> PulseOutput::startStream(const PcmSound &sound, bool question)
{
    const pa_sample_spec format{PA_SAMPLE_S16NE, uint32_t(sound.sampleRate), uint8_t(sound.channels)};
    auto playback = std::make_unique<Playback>(this, question, sound.samples, pa_bytes_to_usec(uint64_t(sound.samples.size()), &format));
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "event");
    playback->stream = pa_stream_new_with_proplist(m_context, "Velmora", &format, nullptr, properties);
    pa_proplist_free(properties);
    if (!playback->stream)
        return nullptr;
    pa_stream_set_state_callback(playback->stream, &Playback::onState, playback.get());
    pa_stream_set_write_callback(playback->stream, &Playback::onWritable, playback.get());
    pa_stream_set_latency_update_callback(playback->stream, &Playback::onTimingUpdate, playback.get());
    pa_stream_set_started_callback(playback->stream, &Playback::onStarted, playback.get());
    const auto frame = uint32_t(pa_frame_size(&format));
    const auto queued = std::min(uint32_t(sound.samples.size()), MaxQueuedBytes / frame * frame);
    const auto request = uint32_t(pa_usec_to_bytes(RequestUsec, &format));
    const auto start = std::min(queued, uint32_t(pa_usec_to_bytes(StartUsec, &format)));
    // Early requests: the sink runs at the short request latency, whatever is queued.
    pa_buffer_attr buffer{uint32_t(-1), queued, start, request, uint32_t(-1)};
    const auto flags = pa_stream_flags_t(PA_STREAM_EARLY_REQUESTS | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING);
    if (pa_stream_connect_playback(playback->stream, nullptr, &buffer, flags, nullptr, nullptr) < 0)
        return nullptr;
    return playback;
}

// The sound play() was asked for, from its start until its outcome is told.
struct PulseOutput::Waited
{
    enum class Step { Connecting, Playing };

    Step step = Step::Connecting;
    PcmSound sound;
    QDeadlineTimer deadline;
    bool unanswered = false; // a server that failed to answer in time, and has not played since
    std::unique_ptr<Playback> playback;
    Done done;
};

void PulseOutput::play(const PcmSound &sound, std::chrono::milliseconds margin, Done done)
{
    // Presses are held while a sound plays, so nothing should get here twice; were it to, the
    // sound that is playing is left alone rather than replaced under its wait.
    if (m_waited || !startMainloop()) {
        done(Result::NoServer);
        return;
    }
    auto waited = std::make_unique<Waited>();
    waited->sound = sound;
    waited->deadline = QDeadlineTimer(sound.durationMs() + margin.count(), Qt::PreciseTimer);
    waited->done = std::move(done);
    bool waiting = false;
    {
        const Lock lock(m_mainloop);
        pruneLingering();
        const bool ready = m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
        waited->unanswered = m_unresponsive;
        // A server that failed to answer before is not waited for: the connection started then
        // (or now) is used once it has come up.
        if (!ready && (!waited->unanswered || contextSettled()))
            connectContext();
        waiting = m_context && (ready || !waited->unanswered);
    }
    if (!waiting) {
        waited->done(Result::NoServer);
        return;
    }
    m_waited = std::move(waited);
    lookAgain();
}

void PulseOutput::lookAgain()
{
    if (!m_waited)
        return;
    Waited &waited = *m_waited;
    std::optional<Result> result;
    std::optional<std::chrono::microseconds> again;
    {
        const Lock lock(m_mainloop);
        if (waited.step == Waited::Step::Connecting)
            result = lookConnecting(waited);
        if (!result && waited.step == Waited::Step::Playing)
            result = lookPlaying(waited, again);
        if (!result && waited.deadline.hasExpired())
            result = expired(waited);
    }
    if (!result) {
        auto wait = std::chrono::milliseconds(std::max<qint64>(1, waited.deadline.remainingTime()));
        if (again)
            wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(*again));
        m_lookTimer->start(wait);
        return;
    }
    m_lookTimer->stop();
    // Let go before it is told: what it runs may ask for the next sound.
    const Done done = std::move(waited.done);
    m_waited.reset();
    done(*result);
}

// Under the lock. Nothing while the connection is still coming up.
std::optional<PulseOutput::Result> PulseOutput::lookConnecting(Waited &waited)
{
    if (!contextSettled())
        return std::nullopt;
    if (!m_context || pa_context_get_state(m_context) != PA_CONTEXT_READY)
        return Result::NoServer;
    waited.playback = startStream(waited.sound, false);
    if (!waited.playback)
        return Result::Failed;
    if (waited.unanswered) {
        // A connection that answers its handshake is no proof that the server plays: the sound
        // goes out without a wait, and waits come back once a stream has really played.
        m_lingering.push_back(std::move(waited.playback));
        return Result::NoServer;
    }
    waited.step = Waited::Step::Playing;
    return std::nullopt;
}

// Under the lock. Nothing while the sound is still being heard; `again` then says when its end
// is due, where that is known.
std::optional<PulseOutput::Result> PulseOutput::lookPlaying(Waited &waited, std::optional<std::chrono::microseconds> &again)
{
    Playback &playback = *waited.playback;
    if (playback.failed)
        return Result::Failed;
    std::optional<std::chrono::microseconds> left = playback.untilHeard();
    // Whatever a clock interpolated under load says, no sound is over before its own length has
    // passed since it was handed over.
    if (left) {
        const auto since = std::chrono::duration_cast<std::chrono::microseconds>(Playback::Clock::now() - playback.createdAt);
        left = std::max(*left, std::chrono::microseconds(playback.lengthUsec) - since);
    }
    // The clock runs on by itself between reports: a server that has stopped reporting may have
    // stopped playing too.
    if (left && left->count() <= 0 && Playback::Clock::now() - playback.lastHeard > HeartbeatTimeout)
        left.reset();
    if (left && left->count() <= 0) {
        // Heard to its end; the stream stays until the server reports it drained, since
        // disconnecting it sooner would take back what the sink still holds of it.
        m_lingering.push_back(std::move(waited.playback));
        return Result::Drained;
    }
    again = left;
    return std::nullopt;
}

// Under the lock: the bound has passed before the sound was heard to its end.
PulseOutput::Result PulseOutput::expired(Waited &waited)
{
    if (waited.step == Waited::Step::Playing && Playback::Clock::now() - waited.playback->lastHeard < HeartbeatTimeout) {
        // Alive but slow to play or to report (a device with a long latency): the wait is over,
        // and the sound is left to finish rather than cut off.
        m_lingering.push_back(std::move(waited.playback));
        return Result::TimedOut;
    }
    // The server has stopped answering: later sounds do not wait for it until it plays again.
    m_unresponsive = true;
    if (waited.step == Waited::Step::Playing) {
        waited.playback.reset();
        connectContext();
    }
    return Result::TimedOut;
}

bool PulseOutput::startDetached(const PcmSound &sound)
{
    if (!startMainloop())
        return false;
    const Lock lock(m_mainloop);
    m_detached.reset();
    if (!m_context || pa_context_get_state(m_context) != PA_CONTEXT_READY) {
        // Connects for the next time, without waiting now.
        if (!m_unresponsive && contextSettled())
            connectContext();
        return false;
    }
    if (m_unresponsive)
        return false;
    // One question stream at a time: while the server has yet to confirm the last one, the new
    // question waits for it, and each newer one takes its place.
    m_wanted = sound;
    startWanted();
    return true;
}

bool PulseOutput::prepareDetached()
{
    if (!startMainloop())
        return false;
    const Lock lock(m_mainloop);
    if (m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY)
        return !m_unresponsive;
    const bool failedBefore = m_context && !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context));
    if (!m_unresponsive && contextSettled())
        connectContext();
    return !m_unresponsive && !failedBefore;
}

void PulseOutput::stopDetached()
{
    if (!m_mainloop)
        return;
    const Lock lock(m_mainloop);
    m_wanted.reset();
    m_detached.reset(); // disconnecting ends it at once
}

} // namespace velmora
