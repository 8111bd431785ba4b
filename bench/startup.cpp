// Whole-process start-up of Velmora until its main window is first exposed (offscreen), without a
// sound server and with a private PulseAudio null sink, against the bare Qt program; median of
// several runs, and peak memory.
#include "peakmemory.h"
#include "pulseserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Run
{
    double ms = 0;
    double peakMb = 0;
    int widgets = 0;
};

Run launch(const QString &program, const QStringList &arguments, const QString &soundServer)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), soundServer);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("velmora.startup.info=true"));
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    QByteArray output;
    while (!output.contains("main window exposed") && clock.elapsed() < 30000) {
        process.waitForReadyRead(5);
        output += process.readAllStandardError();
    }
    Run run{double(clock.nsecsElapsed()) / 1e6, 0, 0};
    // Let start-up settle before reading the high-water mark of memory.
    QThread::msleep(300);
    run.peakMb = velmora::bench::peakMegabytes(QString::number(process.processId()));
    const auto match = QRegularExpression(QStringLiteral("exposed, (\\d+) widgets")).match(QString::fromUtf8(output));
    run.widgets = match.hasMatch() ? match.captured(1).toInt() : 0;
    process.kill();
    process.waitForFinished();
    return run;
}

Run median(std::vector<Run> runs)
{
    std::ranges::sort(runs, {}, &Run::ms);
    Run mid = runs[runs.size() / 2];
    std::ranges::sort(runs, {}, &Run::peakMb);
    mid.peakMb = runs[runs.size() / 2].peakMb;
    return mid;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
    const QString noServer = QStringLiteral("unix:/nonexistent/velmora-bench/native");
    velmora::test::PulseServer server;
    const bool withServer = velmora::test::PulseServer::available() && server.start();
    std::vector<Run> velmora, sounding, bare;
    launch(QStringLiteral(VELMORA_EXECUTABLE), {}, noServer); // warm the file cache
    for (int i = 0; i < rounds; ++i)
        velmora.push_back(launch(QStringLiteral(VELMORA_EXECUTABLE), {}, noServer));
    const Run v = median(velmora);
    if (withServer) {
        // Listening at low latency, as a device would; alone, a null sink drains 2 seconds late.
        const velmora::test::PulseServer::Recording listener(server);
        for (int i = 0; i < rounds; ++i)
            sounding.push_back(launch(QStringLiteral(VELMORA_EXECUTABLE), {}, server.address()));
    }
    for (int i = 0; i < rounds; ++i)
        bare.push_back(launch(QStringLiteral(BARE_EXECUTABLE), {QString::number(v.widgets)}, noServer));
    const Run b = median(bare);
    std::printf("start-up to first expose, median of %d runs (%d widgets):\n", rounds, v.widgets);
    std::printf("  velmora     %7.1f ms  peak %6.1f MB  (no sound server)\n", v.ms, v.peakMb);
    if (withServer) {
        const Run s = median(sounding);
        std::printf("  velmora     %7.1f ms  peak %6.1f MB  (PulseAudio null sink; the start sound plays first)\n",
                    s.ms, s.peakMb);
        std::printf("  difference  %7.1f ms  (goal: the start sound's length + at most 100 ms)\n", s.ms - v.ms);
    }
    std::printf("  bare Qt     %7.1f ms  peak %6.1f MB\n", b.ms, b.peakMb);
    // Another build of velmora to compare with (the last release's, say), given as the second
    // argument; both again in turns, so that the machine's mood falls on both alike.
    if (argc > 2) {
        std::vector<Run> ours, theirs;
        for (int i = 0; i < rounds; ++i) {
            ours.push_back(launch(QStringLiteral(VELMORA_EXECUTABLE), {}, noServer));
            theirs.push_back(launch(QString::fromLocal8Bit(argv[2]), {}, noServer));
        }
        const Run o = median(ours), t = median(theirs);
        std::printf("  this build  %7.1f ms  peak %6.1f MB, against %s: %.1f ms  peak %.1f MB\n", o.ms, o.peakMb, argv[2],
                    t.ms, t.peakMb);
    }
    std::printf("  ratio       %7.2f      memory %5.2f   (goal: time <= 1.5 x bare + 100 ms = %.1f ms, memory <= 1.5 x)\n",
                v.ms / b.ms, v.peakMb / b.peakMb, 1.5 * b.ms + 100);
    return 0;
}
