#pragma once

#include "sound/wavdecoder.h"

#include <QByteArray>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTimer;
struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

namespace velmora {

// One connection to a PulseAudio server (or PipeWire's PulseAudio service) through libpulse's
// asynchronous API. libpulse runs in a thread of its own; the GUI thread only takes its lock for
// calls that return at once, and its reports reach the GUI thread as queued calls. Nothing here
// ever waits: a server that stops answering costs at most a sound's bound before it is told.
class PulseOutput
{
public:
    enum class Result {
        Drained,  // the sink has played the whole sound
        NoServer, // nothing answers, or a server failed to answer before and has not answered since
        TimedOut, // the sound was not heard to its end within the bound
        Failed,   // the server refused the stream
    };

    explicit PulseOutput(QByteArray server = {});
    ~PulseOutput();
    PulseOutput(const PulseOutput &) = delete;
    PulseOutput &operator=(const PulseOutput &) = delete;

    using Done = std::function<void(Result)>;
    // Starts `sound` and returns. `done` runs once the sink has played its last sample, or after
    // its length plus `margin`; it runs before play() returns when the outcome is known at once
    // (no server). A sound asked for while another is being waited for is not played.
    void play(const PcmSound &sound, std::chrono::milliseconds margin, Done done);

    // Starts `sound` and returns at once; it plays while the program goes on, until it ends or
    // stopDetached() is called. False when no server is ready for it now: nothing waits for one.
    bool startDetached(const PcmSound &sound);
    void stopDetached();
    // Connects now for a sound to be started detached soon. False when the server is known not
    // to answer: it failed the last connection, or stopped answering and has not played since.
    bool prepareDetached();

private:
    struct Playback;
    struct Waited;
    class Lock;

    bool startMainloop();
    void connectContext();
    void dropContext();
    bool contextSettled() const;
    // Looks how the sound being waited for stands, and tells or looks again when due.
    void lookAgain();
    std::optional<Result> lookConnecting(Waited &waited);
    std::optional<Result> lookPlaying(Waited &waited, std::optional<std::chrono::microseconds> &again);
    Result expired(Waited &waited);
    void pruneLingering();
    std::unique_ptr<Playback> startStream(const PcmSound &sound, bool question);
    void close(pa_stream *stream, bool question);
    void startWanted();
    void wake();

    static void onContextState(pa_context *context, void *self);
    static void onClosingState(pa_stream *stream, void *self);

    const QByteArray m_server;
    pa_threaded_mainloop *m_mainloop = nullptr;
    pa_context *m_context = nullptr;
    bool m_unresponsive = false;
    std::unique_ptr<Waited> m_waited; // the sound whose end someone waits to hear
    std::vector<std::unique_ptr<Playback>> m_lingering; // sounds that play on without a wait
    std::unique_ptr<Playback> m_detached;
    std::optional<PcmSound> m_wanted; // the question to start once the server has none pending
    struct Closing
    {
        pa_stream *stream;
        bool question;
    };
    std::vector<Closing> m_closing; // let go before the server confirmed them
    QObject m_waker; // lives in the GUI thread; libpulse's thread posts its reports to it
    QTimer *m_lookTimer; // the next look at the waited sound when no report comes first
};

} // namespace velmora
