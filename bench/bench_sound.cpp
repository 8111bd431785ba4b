// Sound through a private PulseAudio null sink: how long a play waits against the sound's own
// length and against the server's drain report. A null sink is not a device, so these figures are
// the program's and the server's share of the latency only.
#include "ui/pulseoutput.h"
#include "pulseserver.h"
#include "ui/wavdecoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velmora;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
    test::PulseServer server;
    if (!test::PulseServer::available() || !server.start()) {
        std::fprintf(stderr, "no private PulseAudio server: %s\n", qPrintable(server.error()));
        return 1;
    }
    // A reader at low latency on the monitor, as a device would be: alone, a null sink runs with a
    // 2-second latency and reports every drain that late.
    const test::PulseServer::Recording listener(server);
    PulseOutput output(server.address().toLocal8Bit());
    std::printf("play until drained, %d rounds each, on a PulseAudio null sink:\n", rounds);
    std::printf("  %-14s %9s %12s %12s %16s\n", "sound", "length", "wait median", "wait max", "after drain max");
    for (const char *name : {"1", "2", "3", "4"}) {
        const PcmSound sound = *decodeWavFile(QStringLiteral(":/sound/%1.wav").arg(QLatin1String(name)));
        std::vector<double> waits, afterDrain;
        for (int i = 0; i < rounds; ++i) {
            QElapsedTimer clock;
            clock.start();
            if (output.play(sound, std::chrono::milliseconds(1000)) != PulseOutput::Result::Drained) {
                std::fprintf(stderr, "sound %s did not drain\n", name);
                return 1;
            }
            const auto returned = std::chrono::steady_clock::now();
            waits.push_back(double(clock.nsecsElapsed()) / 1e6);
            afterDrain.push_back(std::chrono::duration<double, std::milli>(returned - output.lastDrainReport()).count());
        }
        std::ranges::sort(waits);
        std::printf("  sound/%s.wav    %6lld ms %9.1f ms %9.1f ms %13.2f ms\n", name, qlonglong(sound.durationMs()),
                    waits[waits.size() / 2], waits.back(), *std::ranges::max_element(afterDrain));
    }
    std::printf("(goal: the wait ends within 50 ms of the drain report, and never before the sound's length)\n");
    return 0;
}
