#pragma once

#include "sound/pulseoutput.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace velmora::test {

// A PulseAudio server of the test's own, on a socket in a temporary directory, playing into a null
// sink whose monitor the test can record. Never the user's server; stopped by its PID.
class PulseServer
{
public:
    PulseServer();
    ~PulseServer();

    static bool available(); // the pulseaudio binary is installed
    bool start();            // false, with error() saying why, when it did not come up
    QString error() const { return m_error; }
    QString address() const; // for PULSE_SERVER
    qint64 pid() const { return m_daemon.processId(); }
    void pause();  // SIGSTOP: the server stops answering
    void resume(); // SIGCONT
    int streamCount() const; // the playback streams on the server now, any client's; -1 unknown

    // Records what reaches the null sink, as 16-bit mono at RecordRate, and when each piece of
    // it arrived, so that a test can tell when a sample reached the sink.
    class Recording
    {
    public:
        using Clock = std::chrono::steady_clock;

        explicit Recording(const PulseServer &server);
        ~Recording();
        Recording(const Recording &) = delete;
        Recording &operator=(const Recording &) = delete;

        std::vector<qint16> stop();
        // When sample `index` reached the monitor: the recording's own clock, a steady stream of
        // RecordRate samples a second, laid on the earliest time any of its pieces arrived.
        Clock::time_point timeOf(double sampleIndex) const;

    private:
        void read(int fd);

        pid_t m_pid = -1;
        std::thread m_reader;
        mutable std::mutex m_mutex;
        std::vector<qint16> m_samples;
        QByteArray m_partial;
        Clock::duration m_origin = Clock::duration::max(); // the time of sample 0, since the clock's epoch
    };

    static constexpr int RecordRate = 44100;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_error;
};

// The stretches of sound in a recording, separated by at least `gapMs` of silence.
struct Burst
{
    double startMs;
    double lengthMs;
};
std::vector<Burst> bursts(const std::vector<qint16> &samples, int rate, double gapMs = 60, int threshold = 1500);

// How long a play held input, against when its sound was heard: `afterHeardMs` is the time from
// the sound's last sample reaching the monitor to the play's return (negative: it returned early).
struct Hold
{
    double holdMs;
    double heardMs;      // the length of the burst heard
    double afterHeardMs;
    double startMs;      // from the press to the first sample reaching the monitor
};

// Plays `press` once, and returns the start and end of the hold it made: until `held` says no more.
struct Press
{
    std::chrono::steady_clock::time_point start, end;
};
Press timePress(const std::function<void()> &press, const std::function<bool()> &held = {});

// Plays as the window does, and returns once the sound has been heard or given up.
PulseOutput::Result playToEnd(PulseOutput &output, const PcmSound &sound, std::chrono::milliseconds margin);

// Matches presses with the bursts of a recording in order; nothing when their counts differ.
std::vector<Hold> holds(const PulseServer::Recording &recording, const std::vector<qint16> &samples,
                        const std::vector<Press> &presses);

// Processes that keep `count` cores busy for as long as this lives; stopped by their PIDs.
class BusyLoad
{
public:
    explicit BusyLoad(int count = 2);
    ~BusyLoad();
    BusyLoad(const BusyLoad &) = delete;
    BusyLoad &operator=(const BusyLoad &) = delete;

private:
    std::vector<pid_t> m_pids;
};

// A socket that speaks PulseAudio's protocol only as far as the handshake: a client connects and
// is ready, but no stream it asks for is ever answered.
class HandshakeOnlyServer
{
public:
    HandshakeOnlyServer();
    ~HandshakeOnlyServer();
    HandshakeOnlyServer(const HandshakeOnlyServer &) = delete;
    HandshakeOnlyServer &operator=(const HandshakeOnlyServer &) = delete;
    QString address() const; // for PULSE_SERVER

private:
    void serve();

    QTemporaryDir m_dir;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
};

// A constant sine tone as a WAV file: 16-bit, mono unless told otherwise.
QByteArray toneWav(double seconds, double frequency = 880, int rate = 44100, int channels = 1);

} // namespace velmora::test
