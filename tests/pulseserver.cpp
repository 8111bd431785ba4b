#include "pulseserver.h"
#include "testdata.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>

#include <cmath>
#include <csignal>

#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

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

int PulseServer::streamCount() const
{
    QProcess list;
    list.start(QStringLiteral("pactl"), {QStringLiteral("--server=") + address(), QStringLiteral("list"),
                                         QStringLiteral("short"), QStringLiteral("sink-inputs")});
    if (!list.waitForFinished(5000) || list.exitCode() != 0)
        return -1;
    return int(list.readAllStandardOutput().count('\n'));
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
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        qFatal("no pipe for parec");
    // Without a low latency the null sink hands its monitor over in 2-second blocks.
    const QStringList arguments{QStringLiteral("parec"), QStringLiteral("--server=") + server.address(),
                                QStringLiteral("--device=%1.monitor").arg(QLatin1String(SinkName)),
                                QStringLiteral("--raw"), QStringLiteral("--latency-msec=20"),
                                QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(RecordRate),
                                QStringLiteral("--channels=1")};
    const QStringList environment = privateEnvironment(server.m_dir.path()).toStringList();
    std::vector<QByteArray> storage;
    const auto pointers = [&storage](const QStringList &list) {
        std::vector<char *> out;
        for (const QString &item : list)
            out.push_back(storage.emplace_back(item.toLocal8Bit()).data());
        out.push_back(nullptr);
        return out;
    };
    storage.reserve(size_t(arguments.size() + environment.size()));
    std::vector<char *> argv = pointers(arguments);
    std::vector<char *> envp = pointers(environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    const int spawned = ::posix_spawnp(&m_pid, "parec", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0)
        qFatal("parec did not start");
    m_reader = std::thread([this, fd = pipeFds[0]] { read(fd); });
    // Recording has begun once the monitor's silence arrives.
    const QDeadlineTimer deadline(5000);
    for (;;) {
        {
            const std::lock_guard lock(m_mutex);
            if (m_samples.size() >= size_t(RecordRate / 10) || deadline.hasExpired())
                break;
        }
        QThread::msleep(10);
    }
}

void PulseServer::Recording::read(int fd)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        const Clock::time_point arrived = Clock::now();
        if (n <= 0)
            break;
        const std::lock_guard lock(m_mutex);
        m_partial.append(buffer, qsizetype(n));
        const qsizetype whole = m_partial.size() / 2;
        for (qsizetype i = 0; i < whole; ++i)
            m_samples.push_back(qFromLittleEndian<qint16>(m_partial.constData() + 2 * i));
        m_partial.remove(0, whole * 2);
        // The last sample of this piece cannot have reached the monitor after it arrived here.
        const auto lastSample = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(double(m_samples.size() - 1) / RecordRate));
        m_origin = std::min(m_origin, arrived.time_since_epoch() - lastSample);
    }
    ::close(fd);
}

PulseServer::Recording::~Recording()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_reader.joinable())
        m_reader.join();
}

std::vector<qint16> PulseServer::Recording::stop()
{
    // What the sink played last reaches the monitor a little later.
    QThread::msleep(150);
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    if (m_reader.joinable())
        m_reader.join();
    const std::lock_guard lock(m_mutex);
    return m_samples;
}

PulseServer::Recording::Clock::time_point PulseServer::Recording::timeOf(double sampleIndex) const
{
    const std::lock_guard lock(m_mutex);
    return Clock::time_point(m_origin + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(sampleIndex / RecordRate)));
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

Press timePress(const std::function<void()> &press, const std::function<bool()> &held)
{
    Press timed;
    timed.start = std::chrono::steady_clock::now();
    press();
    while (held && held())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    timed.end = std::chrono::steady_clock::now();
    return timed;
}

PulseOutput::Result playToEnd(PulseOutput &output, const PcmSound &sound, std::chrono::milliseconds margin)
{
    std::optional<PulseOutput::Result> result;
    output.play(sound, margin, [&](PulseOutput::Result r) { result = r; });
    while (!result)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return *result;
}

std::vector<Hold> holds(const PulseServer::Recording &recording, const std::vector<qint16> &samples,
                        const std::vector<Press> &presses)
{
    const std::vector<Burst> found = bursts(samples, PulseServer::RecordRate, 5);
    if (found.size() != presses.size())
        return {};
    std::vector<Hold> out;
    const auto ms = [](auto duration) { return std::chrono::duration<double, std::milli>(duration).count(); };
    for (size_t i = 0; i < found.size(); ++i) {
        const double firstSample = found[i].startMs * PulseServer::RecordRate / 1000;
        const double lastSample = (found[i].startMs + found[i].lengthMs) * PulseServer::RecordRate / 1000 - 1;
        out.push_back({ms(presses[i].end - presses[i].start), found[i].lengthMs,
                       ms(presses[i].end - recording.timeOf(lastSample)),
                       ms(recording.timeOf(firstSample) - presses[i].start)});
    }
    return out;
}

BusyLoad::BusyLoad(int count)
{
    for (int i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Spins until killed; nothing else of the test's process runs here.
            volatile unsigned long n = 0;
            for (;;)
                n = n + 1;
        }
        if (pid > 0)
            m_pids.push_back(pid);
    }
}

BusyLoad::~BusyLoad()
{
    for (const pid_t pid : m_pids) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

QByteArray toneWav(double seconds, double frequency, int rate, int channels)
{
    QByteArray data;
    for (qint64 i = 0, frames = std::lround(seconds * rate); i < frames; ++i) {
        const QByteArray sample = littleEndian(quint16(qint16(std::lround(16000 * std::sin(2 * M_PI * frequency * double(i) / rate)))), 2);
        for (int c = 0; c < channels; ++c)
            data += sample;
    }
    return wavFile({.channels = quint16(channels), .rate = quint32(rate)}, data);
}

namespace {

// The native protocol's framing: a descriptor of five big-endian words, then a tag struct.
constexpr quint32 ControlChannel = 0xFFFFFFFF;
enum : quint32 { CommandReply = 2, CommandAuth = 8, CommandSetClientName = 9 };
constexpr quint32 ProtocolVersion = 32;

bool readAll(int fd, char *out, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, out, size);
        if (n <= 0)
            return false;
        out += n;
        size -= size_t(n);
    }
    return true;
}

QByteArray u32Tag(quint32 value)
{
    QByteArray out(1, 'L');
    out.resize(5);
    qToBigEndian(value, out.data() + 1);
    return out;
}

void reply(int fd, const QByteArray &payload)
{
    QByteArray packet(20, '\0');
    qToBigEndian(quint32(payload.size()), packet.data());
    qToBigEndian(ControlChannel, packet.data() + 4);
    packet += payload;
    (void)!::write(fd, packet.constData(), size_t(packet.size()));
}

// Answers a client's AUTH and SET_CLIENT_NAME, and reads everything else without a word.
void answerHandshake(int fd)
{
    for (;;) {
        char descriptor[20];
        if (!readAll(fd, descriptor, sizeof descriptor))
            return;
        const auto length = qFromBigEndian<quint32>(descriptor);
        if (length > 1 << 20)
            return;
        QByteArray payload(qsizetype(length), '\0');
        if (!readAll(fd, payload.data(), length))
            return;
        if (qFromBigEndian<quint32>(descriptor + 4) != ControlChannel || length < 10 || payload[0] != 'L' || payload[5] != 'L')
            continue;
        const auto command = qFromBigEndian<quint32>(payload.constData() + 1);
        const auto tag = qFromBigEndian<quint32>(payload.constData() + 6);
        if (command == CommandAuth)
            reply(fd, u32Tag(CommandReply) + u32Tag(tag) + u32Tag(ProtocolVersion));
        else if (command == CommandSetClientName)
            reply(fd, u32Tag(CommandReply) + u32Tag(tag) + u32Tag(0)); // the client's index
    }
}

} // namespace

HandshakeOnlyServer::HandshakeOnlyServer()
{
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(m_dir.filePath(QStringLiteral("native")));
    std::memcpy(address.sun_path, path.constData(), std::min(sizeof address.sun_path - 1, size_t(path.size())));
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listener, 8) != 0 || ::pipe2(m_wake, O_CLOEXEC) != 0)
        qFatal("no socket for the handshake-only server");
    m_thread = std::thread([this] { serve(); });
}

HandshakeOnlyServer::~HandshakeOnlyServer()
{
    (void)!::write(m_wake[1], "x", 1);
    m_thread.join();
    for (const int fd : {m_listener, m_wake[0], m_wake[1]})
        ::close(fd);
}

QString HandshakeOnlyServer::address() const
{
    return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("native"));
}

void HandshakeOnlyServer::serve()
{
    std::vector<std::thread> clients;
    std::vector<int> sockets;
    for (;;) {
        pollfd watched[2] = {{m_listener, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0 || watched[1].revents)
            break;
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        sockets.push_back(client);
        clients.emplace_back([client] { answerHandshake(client); });
    }
    for (const int fd : sockets)
        ::shutdown(fd, SHUT_RDWR);
    for (std::thread &t : clients)
        t.join();
    for (const int fd : sockets)
        ::close(fd);
}

} // namespace velmora::test
