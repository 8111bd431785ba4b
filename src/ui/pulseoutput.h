#pragma once

#include <QByteArray>
#include <QObject>

#include <chrono>
#include <memory>

class QDeadlineTimer;
class QEventLoop;
struct pa_context;
struct pa_threaded_mainloop;

namespace velmora {

struct PcmSound;

// One connection to a PulseAudio server (or PipeWire's PulseAudio service) through libpulse's
// asynchronous API. libpulse runs in a thread of its own; the GUI thread only takes its lock for
// calls that return at once, and waits for its reports in a bounded event loop that holds user
// input, so a server that stops answering costs at most that bound.
class PulseOutput
{
public:
    enum class Result {
        Drained,  // the server played the whole sound
        NoServer, // nothing answers, or a server failed to answer before and has not answered since
        TimedOut, // the sound did not drain within the bound
        Failed,   // the server refused the stream
    };

    explicit PulseOutput(QByteArray server = {});
    ~PulseOutput();
    PulseOutput(const PulseOutput &) = delete;
    PulseOutput &operator=(const PulseOutput &) = delete;

    // Returns when the server reports the sound drained, or after its length plus `margin`.
    Result play(const PcmSound &sound, std::chrono::milliseconds margin);
    // When the server last reported a sound drained, for measuring how soon the wait ends after.
    std::chrono::steady_clock::time_point lastDrainReport() const { return m_lastDrainReport; }

private:
    struct Playback;
    class Lock;
    enum class Wait { Done, Expired };

    bool startMainloop();
    void connectContext();
    void dropContext();
    bool contextSettled() const;
    template <typename Done>
    Wait waitUntil(Done done, const QDeadlineTimer &deadline);
    void wake();

    static void onContextState(pa_context *context, void *self);

    const QByteArray m_server;
    pa_threaded_mainloop *m_mainloop = nullptr;
    pa_context *m_context = nullptr;
    bool m_unresponsive = false;
    bool m_playing = false;
    std::chrono::steady_clock::time_point m_lastDrainReport;
    std::unique_ptr<Playback> m_lingering; // a sound the wait gave up on while the server was alive
    QEventLoop *m_waiting = nullptr;
    QObject m_waker; // lives in the GUI thread; libpulse's thread posts its reports to it
};

} // namespace velmora
