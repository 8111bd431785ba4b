#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

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

    // Records what reaches the null sink, as 16-bit mono at RecordRate.
    class Recording
    {
    public:
        explicit Recording(const PulseServer &server);
        ~Recording();
        std::vector<qint16> stop();

    private:
        QProcess m_parec;
        QString m_file;
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

// A constant sine tone as a WAV file: 16-bit mono unless told otherwise.
QByteArray toneWav(double seconds, double frequency = 880, int rate = 44100);

} // namespace velmora::test
