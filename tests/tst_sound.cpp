#include "sound/soundfiles.h"
#include "sound/pulseoutput.h"
#include "pulseserver.h"
#include "testsupport.h"
#include "sound/wavdecoder.h"

#include <QAccessible>
#include <QAction>
#include <QAccessibleActionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtEndian>

#include <cmath>
#include <optional>
#include <utility>
#include <cstring>


using namespace velmora;
using namespace std::chrono_literals;
using test::writeFile;
using test::chunk;
using test::fmtChunk;
using test::riff;
using test::wavFile;

namespace {

QByteArray floatBytes(std::initializer_list<float> values)
{
    QByteArray out;
    for (float v : values) {
        quint32 bits;
        std::memcpy(&bits, &v, 4);
        out += test::littleEndian(bits, 4);
    }
    return out;
}

// Presses one button the ways a press can arrive other than as user input.
enum class Delivery { QueuedCall, Timer, AccessibleAction };
// A listener on the sink's monitor connected shortly before each press, or long before them all.
enum class Listener { JustBefore, LongBefore };

} // namespace

Q_DECLARE_METATYPE(Delivery)
Q_DECLARE_METATYPE(Listener)

namespace {

void pressLater(QAbstractButton *button, Delivery how, int afterMs)
{
    switch (how) {
    case Delivery::QueuedCall:
        QTimer::singleShot(afterMs, button, [button] { QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection); });
        break;
    case Delivery::Timer:
        QTimer::singleShot(afterMs, button, &QAbstractButton::click);
        break;
    case Delivery::AccessibleAction:
        QTimer::singleShot(afterMs, button, [button] {
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(button);
            QVERIFY(face && face->actionInterface());
            face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        });
        break;
    }
}

qint64 timed(const std::function<void()> &action)
{
    const test::Stopwatch clock;
    action();
    return clock.elapsed();
}

QString describe(const std::vector<test::Hold> &found)
{
    QStringList parts;
    for (const test::Hold &h : found)
        parts << QStringLiteral("held %1 ms, heard %2 ms, returned %3 ms after its end")
                     .arg(h.holdMs, 0, 'f', 1)
                     .arg(h.heardMs, 0, 'f', 1)
                     .arg(h.afterHeardMs, 0, 'f', 1);
    return parts.join(QStringLiteral("; "));
}

QString describe(const std::vector<test::Burst> &found)
{
    QStringList parts;
    for (const test::Burst &b : found)
        parts << QStringLiteral("%1 ms at %2").arg(b.lengthMs, 0, 'f', 1).arg(b.startMs, 0, 'f', 0);
    return parts.join(QStringLiteral(", "));
}

} // namespace

class TestSound : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<test::ScopedPlace> m_place;
    std::unique_ptr<test::PulseServer> m_server;

private slots:
    // The test command installs the server (scripts/deps.sh --test): without one, this fails.
    void initTestCase()
    {
        QVERIFY2(test::PulseServer::available(), "pulseaudio, parec or pactl is not installed (Debian pulseaudio, pulseaudio-utils)");
        m_server = std::make_unique<test::PulseServer>();
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    }

    void init()
    {
        m_place.emplace(m_dir.path());
        QDir().mkpath(QStringLiteral("sound"));
    }

    void cleanup()
    {
        QDir(QStringLiteral("sound")).removeRecursively();
        m_place.reset();
    }

    void decodesWhatItCanPlay_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("frames");        // -1: refused
        QTest::addColumn<int>("firstSample");
        QTest::addColumn<int>("channels");

        const QByteArray sixteen = QByteArray::fromHex("3412ffff0000");
        QTest::newRow("16-bit mono") << wavFile({}, sixteen) << qint64(3) << 0x1234 << 1;
        QTest::newRow("16-bit stereo") << wavFile({.channels = 2}, sixteen + sixteen) << qint64(3) << 0x1234 << 2;
        QTest::newRow("8-bit, unsigned") << wavFile({.bits = 8}, QByteArray::fromHex("ff0080")) << qint64(3) << 127 * 256 << 1;
        QTest::newRow("24-bit keeps its top 16 bits") << wavFile({.bits = 24}, QByteArray::fromHex("ff3412")) << qint64(1) << 0x1234 << 1;
        QTest::newRow("32-bit integer") << wavFile({.bits = 32}, QByteArray::fromHex("ffff3412")) << qint64(1) << 0x1234 << 1;
        QTest::newRow("32-bit float") << wavFile({.tag = 3, .bits = 32}, floatBytes({0.5f, -1.0f})) << qint64(2) << 16384 << 1;
        QTest::newRow("float beyond full scale") << wavFile({.tag = 3, .bits = 32}, floatBytes({4.0f})) << qint64(1) << 32767 << 1;
        QTest::newRow("float NaN is silence") << wavFile({.tag = 3, .bits = 32}, floatBytes({std::nanf("")})) << qint64(1) << 0 << 1;
        QTest::newRow("extensible PCM") << wavFile({.extensible = true}, sixteen) << qint64(3) << 0x1234 << 1;
        QTest::newRow("extensible float") << wavFile({.tag = 3, .bits = 32, .extensible = true}, floatBytes({0.5f})) << qint64(1) << 16384 << 1;
        QTest::newRow("a byte rate that lies") << wavFile({.byteRate = 1}, sixteen) << qint64(3) << 0x1234 << 1;
        QTest::newRow("8000 Hz") << wavFile({.rate = 8000}, sixteen) << qint64(3) << 0x1234 << 1;
        QTest::newRow("192000 Hz") << wavFile({.rate = 192000}, sixteen) << qint64(3) << 0x1234 << 1;
        QTest::newRow("other chunks first, one of odd size")
            << riff(chunk("LIST", "abc") + fmtChunk({}) + chunk("fact", "1234") + chunk("data", sixteen)) << qint64(3)
            << 0x1234 << 1;
        QTest::newRow("data declared longer than the file")
            << riff(fmtChunk({}) + chunk("data", sixteen, 1'000'000)) << qint64(3) << 0x1234 << 1;
        QTest::newRow("a trailing half frame is dropped") << wavFile({}, sixteen + "\x01") << qint64(3) << 0x1234 << 1;
        QTest::newRow("longer than 30 s plays its first 30 s")
            << wavFile({.rate = 8000, .bits = 8}, QByteArray(8000 * 31, char(0x80))) << qint64(8000 * 30) << 0 << 1;

        QTest::newRow("7999 Hz") << wavFile({.rate = 7999}, sixteen) << qint64(-1) << 0 << 0;
        QTest::newRow("192001 Hz") << wavFile({.rate = 192001}, sixteen) << qint64(-1) << 0 << 0;
        QTest::newRow("three channels") << wavFile({.channels = 3}, sixteen + sixteen + sixteen) << qint64(-1) << 0 << 0;
        QTest::newRow("12 bits") << wavFile({.bits = 12, .blockAlign = 2}, sixteen) << qint64(-1) << 0 << 0;
        QTest::newRow("ADPCM") << wavFile({.tag = 2}, sixteen) << qint64(-1) << 0 << 0;
        QTest::newRow("block size disagrees") << wavFile({.bits = 32, .blockAlign = 2}, sixteen) << qint64(-1) << 0 << 0;
        QTest::newRow("data before its format") << riff(chunk("data", sixteen) + fmtChunk({})) << qint64(-1) << 0 << 0;
        QTest::newRow("two format chunks") << riff(fmtChunk({}) + fmtChunk({}) + chunk("data", sixteen)) << qint64(-1) << 0 << 0;
        QTest::newRow("no data chunk") << riff(fmtChunk({})) << qint64(-1) << 0 << 0;
        QTest::newRow("empty data") << wavFile({}, {}) << qint64(-1) << 0 << 0;
        QTest::newRow("less than one frame") << wavFile({.channels = 2}, "\x01\x02") << qint64(-1) << 0 << 0;
        QTest::newRow("a chunk that runs past the end")
            << riff(chunk("LIST", "abc", 0x7fffffff) + fmtChunk({}) + chunk("data", sixteen)) << qint64(-1) << 0 << 0;
        QByteArray empties;
        for (int i = 0; i < 100; ++i)
            empties += chunk("junk", {});
        QTest::newRow("a hundred empty chunks before the format") << riff(empties + fmtChunk({}) + chunk("data", sixteen))
                                                                  << qint64(-1) << 0 << 0;
        QTest::newRow("not RIFF") << QByteArray("RIFX") + wavFile({}, sixteen).mid(4) << qint64(-1) << 0 << 0;
        QTest::newRow("nothing") << QByteArray() << qint64(-1) << 0 << 0;
    }

    void decodesWhatItCanPlay()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, frames);
        QFETCH(int, firstSample);
        QFETCH(int, channels);
        const std::optional<PcmSound> sound = decodeWav(file);
        QCOMPARE(sound.has_value(), frames >= 0);
        if (!sound)
            return;
        QCOMPARE(sound->frames(), frames);
        QCOMPARE(sound->channels, channels);
        QCOMPARE(int(qFromLittleEndian<qint16>(sound->samples.constData())), firstSample);
    }

    void durationComesFromTheDataNotTheByteRate()
    {
        // 3 MB of samples whose header claims 1 byte a second: 68 s of sound, of which 30 are played.
        const std::optional<PcmSound> lying = decodeWav(wavFile({.byteRate = 1}, QByteArray(3'000'000, 0)));
        QVERIFY(lying);
        QCOMPARE(lying->durationMs(), qint64(wav::MaxSeconds) * 1000);
        const std::optional<PcmSound> tone = decodeWav(test::toneWav(0.3));
        QVERIFY(tone);
        QCOMPARE(tone->durationMs(), 300);
    }

    void pressesDuringASoundWaitForIt_data()
    {
        QTest::addColumn<Delivery>("delivery");
        QTest::newRow("queued call") << Delivery::QueuedCall;
        QTest::newRow("timer") << Delivery::Timer;
        QTest::newRow("accessibility press action") << Delivery::AccessibleAction;
    }

    void pressesDuringASoundWaitForIt()
    {
        QFETCH(Delivery, delivery);
        test::Harness h;
        h.sound.lengthMs = 300;
        QElapsedTimer clock;
        QStringList log; // each sound as it starts, with the verdict showing then
        h.sound.onStart = [&](const QString &file) {
            log << QStringLiteral("%1 at %2: %3").arg(file).arg(clock.elapsed() >= 290 ? "later" : "first").arg(h.status());
        };
        // A wrong answer, then during its sound: GO! (which empties the verdict and draws a
        // question) and another wrong answer, on a tab that has no question yet.
        auto *go = h.find<QAbstractButton>(QStringLiteral("Command34"));
        auto *answer = h.find<QAbstractButton>(QStringLiteral("commaj1"));
        pressLater(go, delivery, 50);
        pressLater(answer, delivery, 100);
        QString statusDuringFirstSound;
        QTimer::singleShot(250, &h.window, [&] { statusDuringFirstSound = h.status(); });
        clock.start();
        h.click(QStringLiteral("Int_C"));
        QCOMPARE(h.status(), test::Incorrect);
        QTRY_COMPARE(h.sound.played.size(), 3);
        QTRY_COMPARE(h.text(QStringLiteral("Int_Start")) != QLatin1String("--"), true);
        QCOMPARE(statusDuringFirstSound, test::Incorrect);
        // GO! ran only after the first sound (it emptied the verdict), and the second answer's
        // sound followed: its verdict was written again after GO! had emptied it.
        QCOMPARE(log, (QStringList{QStringLiteral("sound/4.wav at first: ") + test::Incorrect,
                                   QStringLiteral("sound/4.wav at later: ") + test::Incorrect}));
    }

    // Clicks that reach the window during a sound are held whole and handled after it, in order:
    // the second lands on the tab that the first brings forward, and takes the focus as a click does.
    void heldClicksFollowTheSoundInOrder()
    {
        test::Harness h;
        QVERIFY(h.show(true));
        QTabWidget *tabs = h.selectTab(QStringLiteral("Relations")); // laid out, to be clicked unseen
        const int relations = tabs->currentIndex();
        auto *answer = h.find<QAbstractButton>(QStringLiteral("commaj1"));
        h.sound.lengthMs = 300;
        h.click(QStringLiteral("Int_C"));
        const int intervals = tabs->currentIndex();
        for (const QPoint at : {tabs->tabBar()->mapTo(&h.window, tabs->tabBar()->tabRect(relations).center()),
                                answer->mapTo(&h.window, answer->rect().center())})
            QTest::mouseClick(h.window.windowHandle(), Qt::LeftButton, {}, at);
        QCOMPARE(tabs->currentIndex(), intervals);
        QTRY_COMPARE(h.sound.played.size(), 3); // the start sound, Int_C's, and commaj1's
        QCOMPARE(tabs->currentIndex(), relations);
        QCOMPARE(QApplication::focusWidget(), answer);
    }

    void theHoldEndsWhenTheSoundHasBeenHeard_data()
    {
        QTest::addColumn<Listener>("listener");
        QTest::addColumn<bool>("busy");
        QTest::newRow("listener from just before") << Listener::JustBefore << false;
        QTest::newRow("listener from long before") << Listener::LongBefore << false;
        QTest::newRow("busy, listener from just before") << Listener::JustBefore << true;
        QTest::newRow("busy, listener from long before") << Listener::LongBefore << true;
    }

    void theHoldEndsWhenTheSoundHasBeenHeard()
    {
        QFETCH(Listener, listener);
        QFETCH(bool, busy);
        constexpr double Length = 300;
        writeFile(QStringLiteral("sound/4.wav"), test::toneWav(Length / 1000, 440));
        ServerSoundPlayer player(m_server->address());
        test::Harness h(player);
        auto *answer = h.find<QAbstractButton>("Int_C");
        std::optional<test::BusyLoad> load;
        if (busy)
            load.emplace();

        std::vector<test::Hold> holds;
        std::optional<test::PulseServer::Recording> recording;
        std::vector<test::Press> presses;
        const auto collect = [&] {
            const std::vector<qint16> samples = recording->stop();
            const std::vector<test::Hold> found = test::holds(*recording, samples, std::exchange(presses, {}));
            recording.reset();
            // One burst a press: a gap in a tone would split it in two.
            QVERIFY2(!found.empty(), qPrintable(describe(test::bursts(samples, test::PulseServer::RecordRate, 5))));
            holds.insert(holds.end(), found.begin() + (listener == Listener::LongBefore ? 1 : 0), found.end());
        };
        // The first press connects to the server, and is left out. It has a listener too: with none,
        // a null sink may play a sound seconds late, into the next recording.
        recording.emplace(*m_server);
        if (listener == Listener::LongBefore)
            QTest::qWait(2000);
        presses.push_back(test::timePress([&] { answer->click(); }, [&] { return h.window.presses().isHeld(); }));
        // On a busy machine the connecting press's sound may still be heard after it is let go
        // (its stream's first timing report comes late): it ends before the measured presses.
        QTest::qWait(600);
        if (listener == Listener::JustBefore) {
            recording->stop();
            recording.reset();
            presses.clear();
        }
        for (int i = 0; i < 10; ++i) {
            if (listener == Listener::JustBefore) {
                QTest::qWait(600); // no listener: the sink falls back to its long latency
                recording.emplace(*m_server);
                QTest::qWait(300); // with the recording's own start, 0.4 s before the press
            }
            presses.push_back(test::timePress([&] { answer->click(); }, [&] { return h.window.presses().isHeld(); }));
            QTest::qWait(150);
            if (listener == Listener::JustBefore) {
                collect();
                if (QTest::currentTestFailed())
                    return;
            }
        }
        if (listener == Listener::LongBefore)
            collect();
        QCOMPARE(holds.size(), size_t(10));
        for (const test::Hold &hold : holds) {
            // Held for the whole sound, and let go once its end has been heard.
            QVERIFY2(hold.holdMs >= Length && hold.afterHeardMs >= 0 && hold.afterHeardMs <= 60, qPrintable(describe(holds)));
            QVERIFY2(std::abs(hold.heardMs - Length) < 15, qPrintable(describe(holds)));
        }
    }

    void aLongSoundPlaysWholeOnABusyMachine()
    {
        // More than the server keeps queued for a stream (4 MB): 6 s of 192 kHz stereo.
        const PcmSound longTone = *decodeWav(test::toneWav(6.0, 440, 192000, 2));
        QVERIFY(longTone.samples.size() > 4 * 1024 * 1024);
        const PcmSound shortTone = *decodeWav(test::toneWav(0.3, 440, 192000, 2));
        test::PulseServer::Recording recording(*m_server);
        PulseOutput output(m_server->address().toLocal8Bit());
        QCOMPARE(test::playToEnd(output, shortTone, 1000ms), PulseOutput::Result::Drained);
        const test::BusyLoad load;
        QTest::qWait(200);
        std::vector<test::Press> presses;
        PulseOutput::Result result = PulseOutput::Result::Failed;
        presses.push_back(test::timePress([&] { test::playToEnd(output, shortTone, 1000ms); }));
        QTest::qWait(200);
        presses.push_back(test::timePress([&] { result = test::playToEnd(output, longTone, 1000ms); }));
        QCOMPARE(result, PulseOutput::Result::Drained);
        // Skips the warm-up sound, which the recording also heard.
        const std::vector<qint16> samples = recording.stop();
        std::vector<test::Burst> heard = test::bursts(samples, test::PulseServer::RecordRate, 5);
        QVERIFY2(heard.size() == 3, qPrintable(describe(heard)));
        const std::vector<test::Press> all{{}, presses[0], presses[1]};
        const std::vector<test::Hold> holds = test::holds(recording, samples, all);
        // A null sink's monitor may drop a few milliseconds at a rewind on a busy machine; a
        // starved stream would break the tone apart or lose far more.
        QVERIFY2(std::abs(holds[2].heardMs - 6000) < 25, qPrintable(describe(holds)));
        // Queuing much more does not delay the start: waiting for 4 MB to travel first would
        // cost hundreds of milliseconds, where a busy machine's noise is a few tens.
        QVERIFY2(holds[2].startMs - holds[1].startMs <= 100, qPrintable(QStringLiteral("started %1 ms, a short one %2 ms after the press")
                                                                        .arg(holds[2].startMs).arg(holds[1].startMs)));
        QVERIFY2(holds[2].afterHeardMs >= 0 && holds[2].afterHeardMs <= 60, qPrintable(describe(holds)));
    }

    void aSoundLeftToFinishIsNotCutOff()
    {
        const PcmSound second = *decodeWav(test::toneWav(1.0));
        const PcmSound blip = *decodeWav(test::toneWav(0.05));
        test::PulseServer::Recording recording(*m_server);
        PulseOutput output(m_server->address().toLocal8Bit());
        QCOMPARE(test::playToEnd(output, blip, 1000ms), PulseOutput::Result::Drained);
        QTest::qWait(200);
        // Waits that end long before the sounds do, as with a device slow to report: the server
        // is alive, so both play on, the second over the first.
        QCOMPARE(test::playToEnd(output, second, -800ms), PulseOutput::Result::TimedOut);
        QCOMPARE(test::playToEnd(output, blip, -50ms), PulseOutput::Result::TimedOut);
        QTest::qWait(1200);
        const std::vector<test::Burst> heard = test::bursts(recording.stop(), test::PulseServer::RecordRate);
        // A stream cut off when the next one came would be heard for about 250 ms. A null sink's
        // monitor may drop a few milliseconds at the rewind that mixing a new stream in causes.
        QVERIFY2(heard.size() == 2 && heard[1].lengthMs > 950, qPrintable(describe(heard)));
    }

    void aServerThatOnlyShakesHandsCostsTheBoundOnce()
    {
        test::HandshakeOnlyServer fake;
        const PcmSound blip = *decodeWav(test::toneWav(0.05));
        PulseOutput output(fake.address().toLocal8Bit());
        PulseOutput::Result result;
        const qint64 first = timed([&] { result = test::playToEnd(output, blip, 500ms); });
        QCOMPARE(result, PulseOutput::Result::TimedOut);
        QVERIFY2(first >= 540 && first < 900, qPrintable(QString::number(first)));
        // Its next connections shake hands too, which proves nothing: no sound waits for it.
        for (int i = 0; i < 5; ++i) {
            QTest::qWait(100);
            const qint64 next = timed([&] { test::playToEnd(output, blip, 500ms); });
            QVERIFY2(next < 300, qPrintable(QStringLiteral("sound %1 waited %2 ms").arg(i + 2).arg(next)));
        }
    }

    void aStoppedServerCostsAtMostTheBound()
    {
        const PcmSound second = *decodeWav(test::toneWav(1.0));
        const PcmSound blip = *decodeWav(test::toneWav(0.05));
        // A listener at low latency, as a device would be: alone, a null sink drains 2 s late.
        const test::PulseServer::Recording listener(*m_server);
        PulseOutput output(m_server->address().toLocal8Bit());
        QCOMPARE(test::playToEnd(output, blip, 1000ms), PulseOutput::Result::Drained);

        const auto resume = qScopeGuard([&] { m_server->resume(); });
        QTimer::singleShot(200, [&] { m_server->pause(); });
        PulseOutput::Result result;
        const qint64 stalled = timed([&] { result = test::playToEnd(output, second, 1000ms); });
        QCOMPARE(result, PulseOutput::Result::TimedOut);
        QVERIFY2(stalled >= 1900 && stalled < 2300, qPrintable(QString::number(stalled)));
        // Later sounds do not wait for a server that has not answered since.
        const qint64 next = timed([&] { result = test::playToEnd(output, second, 1000ms); });
        QCOMPARE(result, PulseOutput::Result::NoServer);
        QVERIFY2(next < 50, qPrintable(QString::number(next)));

        m_server->resume();
        const test::Stopwatch clock;
        do {
            QTest::qWait(50);
            result = test::playToEnd(output, blip, 1000ms);
        } while (result != PulseOutput::Result::Drained && clock.elapsed() < 5000);
        QCOMPARE(result, PulseOutput::Result::Drained);
    }

    void aServerThatNeverAnswersCostsAtMostTheBound()
    {
        // A socket that accepts connections but never speaks, like a server stopped before it
        // could answer the handshake.
        const PcmSound blip = *decodeWav(test::toneWav(0.05));
        PulseOutput output(m_server->address().toLocal8Bit());
        m_server->pause();
        const auto resume = qScopeGuard([&] { m_server->resume(); });
        PulseOutput::Result result;
        const qint64 waited = timed([&] { result = test::playToEnd(output, blip, 500ms); });
        QCOMPARE(result, PulseOutput::Result::TimedOut);
        QVERIFY2(waited >= 540 && waited < 800, qPrintable(QString::number(waited)));
        QVERIFY(timed([&] { test::playToEnd(output, blip, 500ms); }) < 50);
    }

    // A stream let go before the server confirmed it must still be disconnected once it does:
    // left on the server, such streams fill the sink (256) and then no program can play.
    void noStreamOutlivesItsUseWhateverTheServerIsDoing()
    {
        const PcmSound blip = *decodeWav(test::toneWav(0.05));
        const test::PulseServer::Recording listener(*m_server); // else a null sink drains late
        PulseOutput output(m_server->address().toLocal8Bit());
        QCOMPARE(test::playToEnd(output, blip, 1000ms), PulseOutput::Result::Drained);
        m_server->pause();
        auto resume = qScopeGuard([&] { m_server->resume(); });
        for (int i = 0; i < 300; ++i) {
            output.startDetached(blip);
            if (i % 3 == 0)
                output.stopDetached();
        }
        resume.dismiss();
        m_server->resume();
        QTest::qWait(1500);
        QVERIFY2(m_server->streamCount() <= 1, qPrintable(QString::number(m_server->streamCount())));
        output.stopDetached();
        QTRY_COMPARE_WITH_TIMEOUT(m_server->streamCount(), 0, 2000);
    }

    void aQuestionIsHeardAndAPressStopsIt()
    {
        writeFile(QStringLiteral("sound/4.wav"), test::toneWav(0.3, 3000));
        ServerSoundPlayer player(m_server->address());
        test::Harness h(player, true);
        // A listener first: without one a null sink may play a sound late, over the question.
        test::PulseServer::Recording recording(*m_server);
        h.find<QAbstractButton>("Int_C")->click(); // its chime connects to the server
        h.window.findChild<QAction *>(QStringLiteral("HearEachQuestion"))->trigger();
        QTest::qWait(500);
        const auto pressed = std::chrono::steady_clock::now();
        h.find<QAbstractButton>("Command1")->click();
        QTest::qWait(800); // in the middle of the broken chord
        const auto [key, kind] = test::splitChordAnswer(h.find<QLabel>("Label1")->text());
        const QString wrong = test::chordButtonFor(kind == QLatin1String("maj_3") ? QStringLiteral("min_3") : QStringLiteral("maj_3"));
        const auto answered = std::chrono::steady_clock::now();
        const auto chimed = test::timePress([&] { h.window.findChild<QAbstractButton *>(wrong)->click(); },
                                            [&] { return h.window.presses().isHeld(); }).end;
        QTest::qWait(1000);
        const std::vector<qint16> samples = recording.stop();
        const auto at = [&](double ms) { return recording.timeOf(ms * test::PulseServer::RecordRate / 1000); };
        std::vector<test::Burst> heard = test::bursts(samples, test::PulseServer::RecordRate, 60, 300);
        std::erase_if(heard, [&](const test::Burst &b) { return at(b.startMs) < pressed; }); // the first chime
        QVERIFY2(!heard.empty(), "the question did not reach the server");
        const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
        // Heard from the press on, and silent once the chime that the answer started has ended.
        QVERIFY2(at(heard.front().startMs) > pressed && at(heard.front().startMs) < answered - std::chrono::milliseconds(500),
                 qPrintable(QStringLiteral("started %1 ms after the press").arg(ms(at(heard.front().startMs) - pressed))));
        const double end = heard.back().startMs + heard.back().lengthMs;
        QVERIFY2(at(end) < chimed + std::chrono::milliseconds(60),
                 qPrintable(QStringLiteral("sound went on %1 ms after the chime").arg(ms(at(end) - chimed))));
    }

    void cleanupTestCase()
    {
        m_server.reset();
    }
};

QTEST_MAIN(TestSound)
#include "tst_sound.moc"
