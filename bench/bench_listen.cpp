// Hearing the question: from a chord "GO!" to its first sample at a private PulseAudio null sink,
// the first time (FluidSynth and the SoundFont loaded then) and later; the press's own time
// (rendering the notes and starting the stream); and peak memory once the SoundFont is loaded.
#include "app/mainwindow.h"
#include "peakmemory.h"
#include "pulseserver.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velmora;


int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 11;
    test::PulseServer server;
    if (!test::PulseServer::available() || !server.start()) {
        std::fprintf(stderr, "no private PulseAudio server: %s\n", qPrintable(server.error()));
        return 1;
    }
    test::PulseServer::Recording recording(server);
    test::FakePrompter prompter;
    ServerSoundPlayer sound(server.address());
    SeededRandom random{5};
    Clock clock;
    MainWindow window(Services{prompter, sound, random, clock, QStringLiteral("absent.mdb")}, false, {true, false});
    bool loaded = false;
    window.Form_Load([&] { loaded = true; }); // the start sound connects to the server
    if (!QTest::qWaitFor([&] { return loaded; }, 5000))
        return 1;
    const double beforeLoad = bench::peakMegabytes();
    auto *go = window.findChild<QAbstractButton *>(QStringLiteral("Command1"));
    auto *soundOff = window.findChild<QCheckBox *>(QStringLiteral("Sound_off"));

    std::vector<test::Press> presses;
    std::vector<double> pressMs;
    for (int i = 0; i <= rounds; ++i) {
        QTest::qWait(400);
        presses.push_back(test::timePress([&] { go->click(); }));
        pressMs.push_back(std::chrono::duration<double, std::milli>(presses.back().end - presses.back().start).count());
        QTest::qWait(300);
        soundOff->setChecked(true); // stops the question without a press
        soundOff->setChecked(false);
    }
    QTest::qWait(300);
    const std::vector<qint16> samples = recording.stop();
    std::vector<test::Burst> heard = test::bursts(samples, test::PulseServer::RecordRate, 150, 300);
    heard.erase(heard.begin()); // the start sound
    if (heard.size() != presses.size()) {
        std::fprintf(stderr, "%zu presses, %zu questions heard\n", presses.size(), heard.size());
        return 1;
    }
    std::vector<double> later;
    double first = 0;
    for (size_t i = 0; i < heard.size(); ++i) {
        const double ms = std::chrono::duration<double, std::milli>(
                              recording.timeOf(heard[i].startMs * test::PulseServer::RecordRate / 1000) - presses[i].start)
                              .count();
        (i == 0 ? first : later.emplace_back(ms)) = ms;
    }
    std::ranges::sort(later);
    std::vector<double> laterPress(pressMs.begin() + 1, pressMs.end());
    std::ranges::sort(laterPress);
    std::printf("chord GO! to its first sample at the null sink's monitor (hear each question on):\n");
    std::printf("  first use:  %7.1f ms (the press itself %.1f ms)\n", first, pressMs.front());
    std::printf("  later uses: median %.1f ms, worst %.1f ms (the press itself: median %.1f ms, worst %.1f ms)\n",
                later[later.size() / 2], later.back(), laterPress[laterPress.size() / 2], laterPress.back());
    std::printf("peak memory: %.1f MB before the first question, %.1f MB with the synthesizer in use; "
                "the synthesizer's own %.1f MB\n",
                beforeLoad, bench::peakMegabytes(), bench::peakMegabytes(bench::childNamed("velmora-synth")));
    std::printf("(goal: under 150 ms first, later a median under 20 ms and the worst under 30 ms; under 40 MB)\n");
    return 0;
}
