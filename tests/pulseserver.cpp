#include "pulseserver.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>

#include <cmath>
#include <csignal>

namespace velmora::test {

namespace {

constexpr char SinkName[] = "velmora_test";

QProcessEnvironment privateEnvironment(const QString &dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/config"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("DISPLAY"));
    return env;
}

void appendLe(QByteArray &out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

} // namespace

PulseServer::PulseServer() = default;

PulseServer::~PulseServer()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    resume();
    m_daemon.kill();
    m_daemon.waitForFinished(5000);
}

bool PulseServer::available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty();
}

QString PulseServer::address() const
{
    return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("native"));
}

bool PulseServer::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary directory");
        return false;
    }
    m_daemon.setProcessEnvironment(privateEnvironment(m_dir.path()));
    m_daemon.setProcessChannelMode(QProcess::MergedChannels);
    m_daemon.setStandardOutputFile(m_dir.filePath(QStringLiteral("daemon.log")));
    m_daemon.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                    QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                    QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=%1").arg(QLatin1String(SinkName)),
                    QStringLiteral("-L"),
                    QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1")
                        .arg(m_dir.filePath(QStringLiteral("native")))});
    if (!m_daemon.waitForStarted(5000)) {
        m_error = m_daemon.errorString();
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_daemon.state() == QProcess::Running) {
        QProcess info;
        info.start(QStringLiteral("pactl"), {QStringLiteral("--server=") + address(), QStringLiteral("info")});
        if (info.waitForFinished(2000) && info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0)
            return true;
        QThread::msleep(50);
    }
    QFile log(m_dir.filePath(QStringLiteral("daemon.log")));
    log.open(QIODevice::ReadOnly);
    m_error = QStringLiteral("pulseaudio did not come up: ") + QString::fromLocal8Bit(log.readAll());
    return false;
}

void PulseServer::pause()
{
    ::kill(pid_t(pid()), SIGSTOP);
}

void PulseServer::resume()
{
    ::kill(pid_t(pid()), SIGCONT);
}

PulseServer::Recording::Recording(const PulseServer &server)
{
    const QString file = server.m_dir.filePath(QStringLiteral("recording.raw"));
    QFile::remove(file);
    m_parec.setProcessEnvironment(privateEnvironment(server.m_dir.path()));
    m_parec.setStandardOutputFile(file);
    // Without a low latency the null sink hands its monitor over in 2-second blocks.
    m_parec.start(QStringLiteral("parec"),
                  {QStringLiteral("--server=") + server.address(),
                   QStringLiteral("--device=%1.monitor").arg(QLatin1String(SinkName)), QStringLiteral("--raw"),
                   QStringLiteral("--latency-msec=20"), QStringLiteral("--format=s16le"),
                   QStringLiteral("--rate=%1").arg(RecordRate), QStringLiteral("--channels=1")});
    m_parec.waitForStarted(5000);
    // Recording has begun once the monitor's silence arrives.
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired() && QFileInfo(file).size() < RecordRate / 10)
        QThread::msleep(10);
    m_file = file;
}

PulseServer::Recording::~Recording()
{
    if (m_parec.state() != QProcess::NotRunning) {
        m_parec.kill();
        m_parec.waitForFinished(5000);
    }
}

std::vector<qint16> PulseServer::Recording::stop()
{
    // What the sink played last reaches the monitor a little later.
    QThread::msleep(150);
    m_parec.terminate();
    m_parec.waitForFinished(5000);
    QFile file(m_file);
    file.open(QIODevice::ReadOnly);
    const QByteArray raw = file.readAll();
    std::vector<qint16> samples(size_t(raw.size() / 2));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<qint16>(raw.constData() + 2 * i);
    return samples;
}

std::vector<Burst> bursts(const std::vector<qint16> &samples, int rate, double gapMs, int threshold)
{
    std::vector<Burst> found;
    const auto gap = qint64(gapMs * rate / 1000);
    qint64 first = -1;
    qint64 last = -1;
    const auto close = [&] {
        if (first >= 0)
            found.push_back({first * 1000.0 / rate, (last - first + 1) * 1000.0 / rate});
    };
    for (qint64 i = 0; i < qint64(samples.size()); ++i) {
        if (std::abs(int(samples[size_t(i)])) < threshold)
            continue;
        if (first < 0 || i - last > gap) {
            close();
            first = i;
        }
        last = i;
    }
    close();
    return found;
}

QByteArray toneWav(double seconds, double frequency, int rate)
{
    const auto frames = quint32(std::lround(seconds * rate));
    QByteArray wav("RIFF");
    appendLe(wav, 36 + frames * 2, 4);
    wav += "WAVEfmt ";
    appendLe(wav, 16, 4);
    appendLe(wav, 1, 2); // PCM
    appendLe(wav, 1, 2); // mono
    appendLe(wav, quint32(rate), 4);
    appendLe(wav, quint32(rate) * 2, 4);
    appendLe(wav, 2, 2);
    appendLe(wav, 16, 2);
    wav += "data";
    appendLe(wav, frames * 2, 4);
    for (quint32 i = 0; i < frames; ++i)
        appendLe(wav, quint32(quint16(qint16(std::lround(16000 * std::sin(2 * M_PI * frequency * i / rate))))), 2);
    return wav;
}

} // namespace velmora::test
