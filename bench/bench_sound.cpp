// Sound through a private PulseAudio null sink: how long a play holds input against the sound's
// own length, and against the moment its last sample reached the sink's monitor. A listener on the
// monitor stands in for a device: one that connects shortly before each press, and one that has
// been connected for long; on a quiet machine and on one kept busy by two spinning processes. A
// null sink is not a device, so a real card's latency comes on top.
#include "sound/pulseoutput.h"
#include "pulseserver.h"
#include "sound/wavdecoder.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

using namespace velmora;

namespace {

struct Spread
{
    double median, worst;
};

Spread spread(std::vector<double> values, bool worstIsLowest = false)
{
    std::ranges::sort(values);
    return {values[values.size() / 2], worstIsLowest ? values.front() : values.back()};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    test::PulseServer server;
    if (!test::PulseServer::available() || !server.start()) {
        std::fprintf(stderr, "no private PulseAudio server: %s\n", qPrintable(server.error()));
        return 1;
    }
    const PcmSound tone = *decodeWav(test::toneWav(0.3));
    PulseOutput output(server.address().toLocal8Bit());
    std::printf("a %lld ms tone, %d presses each, on a PulseAudio null sink:\n", qlonglong(tone.durationMs()), rounds);
    std::printf("  %-28s %-6s %22s %26s\n", "listener", "load", "hold - length: median/max",
                "return - last sample heard: min/max");
    for (const bool busy : {false, true}) {
        std::optional<test::BusyLoad> load;
        if (busy)
            load.emplace();
        for (const bool longConnected : {false, true}) {
            std::vector<test::Hold> measured;
            std::optional<test::PulseServer::Recording> recording;
            std::vector<test::Press> presses;
            const auto collect = [&] {
                const std::vector<test::Hold> found = test::holds(*recording, recording->stop(), presses);
                if (found.empty()) {
                    std::fprintf(stderr, "the recording does not hold one whole tone per press\n");
                    std::exit(1);
                }
                measured.insert(measured.end(), found.begin(), found.end());
                recording.reset();
                presses.clear();
            };
            if (longConnected)
                recording.emplace(server);
            for (int i = 0; i < rounds; ++i) {
                if (!longConnected) {
                    QThread::msleep(600); // no listener: the sink falls back to its long latency
                    recording.emplace(server);
                    QThread::msleep(300); // with the 100 ms the recording takes to start: 0.4 s
                }
                presses.push_back(test::timePress([&] { test::playToEnd(output, tone, std::chrono::milliseconds(1000)); }));
                QThread::msleep(150);
                if (!longConnected)
                    collect();
            }
            if (longConnected)
                collect();
            std::vector<double> over, after;
            for (const test::Hold &h : measured) {
                over.push_back(h.holdMs - double(tone.durationMs()));
                after.push_back(h.afterHeardMs);
            }
            const Spread o = spread(over);
            const auto [afterMin, afterMax] = std::ranges::minmax(after);
            std::printf("  %-28s %-6s %12.1f / %6.1f ms %18.1f / %6.1f ms\n",
                        longConnected ? "connected long before" : "connected 0.4 s before", busy ? "busy" : "quiet",
                        o.median, o.worst, afterMin, afterMax);
        }
    }
    std::printf("(goal: every return within 0 to 60 ms after the last sample was heard)\n");
    return 0;
}
