#include "exercises/chords/staffgeometry.h"
#include "exercises/intervals/intervals.h"
#include "exercises/relations/relations.h"
#include "exercises/transpose/transpose.h"
#include "testsupport.h"
#include "sound/notesynth.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <QScopeGuard>

#include <cmath>

#include <sys/stat.h>

using namespace velmora;

namespace {

QList<int> listOf(const std::vector<int> &keys)
{
    return QList<int>(keys.begin(), keys.end());
}

// The strength of `frequency` in the left channel (Goertzel).
double strength(const PcmSound &sound, double frequency)
{
    const double w = 2 * M_PI * frequency / sound.sampleRate;
    double s1 = 0, s2 = 0;
    const auto *samples = reinterpret_cast<const qint16 *>(sound.samples.constData());
    for (qint64 i = 0; i < sound.frames(); ++i) {
        const double s = samples[2 * i] + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
}

int peakOf(const PcmSound &sound)
{
    const auto *samples = reinterpret_cast<const qint16 *>(sound.samples.constData());
    int peak = 0;
    for (qint64 i = 0; i < sound.samples.size() / 2; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak;
}

// The loudest 50 ms, as RMS over all channels.
double loudest50ms(const PcmSound &sound)
{
    const auto *samples = reinterpret_cast<const qint16 *>(sound.samples.constData());
    const qint64 count = sound.samples.size() / 2, window = sound.sampleRate * sound.channels / 20;
    double sum = 0, loudest = 0;
    for (qint64 i = 0; i < count; ++i) {
        sum += double(samples[i]) * samples[i];
        if (i >= window)
            sum -= double(samples[i - window]) * samples[i - window];
        loudest = std::max(loudest, sum);
    }
    return std::sqrt(loudest / double(std::min(window, count)));
}

} // namespace

Q_DECLARE_METATYPE(Phrase)

class TestListening : public QObject
{
    Q_OBJECT

private slots:
    void keysHeard_data()
    {
        QTest::addColumn<QList<int>>("heard");
        QTest::addColumn<QList<int>>("expected");
        // Heads as drawn: the bass from A2 to G3, the treble from B3 to A4, each with its sign.
        QTest::newRow("chord: Ab bass, Cb, Ebbb, Gx, B#")
            << listOf(staff::soundingKeys({"Ab", "Cb", "Ebbb", "Gx", "B#", "", ""})) << QList<int>{44, 59, 61, 69, 60};
        QTest::newRow("chord: G bass, a sign the staff does not draw")
            << listOf(staff::soundingKeys({"G", "C##", "E", "", "", "", ""})) << QList<int>{55, 60, 64};
        QTest::newRow("Eb maj") << listOf(triadKeys(u"Eb maj")) << QList<int>{51, 55, 58};
        QTest::newRow("C# min") << listOf(triadKeys(u"C# min")) << QList<int>{49, 52, 56};
        QTest::newRow("C written for a B-flat score") << QList<int>{*soundingKey(u"C", Instrument::Bb)} << QList<int>{58};
        QTest::newRow("C written for an E-flat score") << QList<int>{*soundingKey(u"C", Instrument::Eb)} << QList<int>{51};
        const auto interval = [](QStringView start, QStringView name, QStringView direction) {
            const auto keys = intervalKeys(start, name, direction);
            return keys ? QList<int>{keys->first, keys->second} : QList<int>{};
        };
        QTest::newRow("major third down from F#") << interval(u"F#", u"Major Third", u"down") << QList<int>{66, 62};
        QTest::newRow("octave, any other direction is up") << interval(u"Cb", u"Octave", u"sideways") << QList<int>{59, 71};
        QTest::newRow("an interval of no known size") << interval(u"C", u"Tritone", u"up") << QList<int>{};
    }

    void keysHeard()
    {
        QFETCH(QList<int>, heard);
        QFETCH(QList<int>, expected);
        QCOMPARE(heard, expected);
    }

    void theSynthesizerPlaysThePitchAsked_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("frequency");
        QTest::newRow("A2") << 45 << 110.0;
        QTest::newRow("A4") << 69 << 440.0;
    }

    void theSynthesizerPlaysThePitchAsked()
    {
        QFETCH(int, key);
        QFETCH(double, frequency);
        NoteSynth synth;
        if (!synth.unavailableReason().isEmpty())
            QFAIL(qPrintable(synth.unavailableReason()));
        QString problem;
        const std::optional<PcmSound> sound = synth.render(phrase::single(key), &problem);
        QVERIFY2(sound, qPrintable(problem));
        // Its fundamental, and not a semitone beside it.
        const double semitone = std::pow(2.0, 1.0 / 12);
        const double fundamental = strength(*sound, frequency);
        QVERIFY(fundamental > 4 * strength(*sound, frequency * semitone));
        QVERIFY(fundamental > 4 * strength(*sound, frequency / semitone));
    }

    // A user's SoundFont that would crash, hold, flood or silence the synthesizer, or block the
    // program, is reported once, within the synthesizer's time, and the system's SoundFont serves.
    // (The crash, the hang and the flood come from a stand-in for the synthesizer, which does what
    // FluidSynth did with the files that found them, when the file says so.)
    void hostileSoundFontsAreReportedOnce_data()
    {
        QTest::addColumn<QByteArray>("font"); // "pipe" for a named pipe, "no piano" for the system's banks moved
        QTest::addColumn<QString>("said");
        const QByteArray sf2("RIFF\x10\0\0\0sfbk", 12);
        QTest::newRow("a DLS file") << QByteArray("RIFF\x10\0\0\0DLS LIST", 16) << "not a SoundFont";
        QTest::newRow("a fair one") << test::soundFont(1, 1) << "";
        // FluidSynth lists each preset zone's voices by appending at the end: quadratic in zones.
        QTest::newRow("65,000 instrument zones") << test::soundFont(2, 65000) << "too long";
#if !defined(__SANITIZE_ADDRESS__) // whose builds go without the synthesizer's memory limit
        // 95 KB of FLAC that decode to 850 MB, past what the synthesizer may take.
        QTest::newRow("a FLAC bomb") << test::soundFont(1, 1, test::constantFlac(6500)) << "FluidSynth can read";
#endif
        QTest::newRow("a pipe") << QByteArray("pipe") << "not a regular file";
        QTest::newRow("no piano") << QByteArray("no piano") << "no grand piano";
        QTest::newRow("a crash") << sf2 + "CRASH" << "crashed";
        QTest::newRow("a hang") << sf2 + "HANG" << "too long";
        QTest::newRow("a flood") << sf2 + "FLOOD" << "more than was asked for";
    }
    void hostileSoundFontsAreReportedOnce()
    {
        QFETCH(QByteArray, font);
        QFETCH(QString, said);
        const QString file = QStringLiteral("velmora.sf2");
        const auto removeFont = qScopeGuard([file] { QFile::remove(file); });
        if (font == "pipe") {
            QVERIFY(mkfifo("velmora.sf2", 0600) == 0);
        } else if (font == "no piano") {
            // Every preset moved to bank 1: the font loads, and holds no bank 0 program 0.
            QByteArray bytes = test::readFile(NoteSynth::systemSoundFonts().first());
            const qsizetype phdr = bytes.indexOf("phdr");
            const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + phdr + 4);
            for (qsizetype at = phdr + 8; at + 38 <= phdr + 8 + qsizetype(size); at += 38)
                qToLittleEndian<quint16>(1, bytes.data() + at + 22);
            test::writeFile(file, bytes);
        } else {
            test::writeFile(file, font);
        }
        const QString standIn = QDir::current().filePath(QStringLiteral("synth-stand-in"));
        test::writeFile(standIn, QStringLiteral("#!/bin/sh\n"
                                                "grep -q CRASH /proc/self/fd/3 && kill -SEGV $$\n"
                                                "grep -q HANG /proc/self/fd/3 && exec sleep 30\n"
                                                "grep -q FLOOD /proc/self/fd/3 && exec yes ready\n"
                                                "exec '%1'\n").arg(NoteSynth::installedProgram()).toUtf8());
        QFile::setPermissions(standIn, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        NoteSynth synth(standIn);
        QString first, second;
        const test::Stopwatch held;
        QVERIFY(synth.render(phrase::single(60), &first)); // the system's serves
        QVERIFY2(held.elapsed() < NoteSynth::LoadTimeoutMs + 2000, held.said());
        QVERIFY2(said.isEmpty() ? first.isEmpty() : first.contains(said), qPrintable(first));
        QVERIFY(synth.render(phrase::single(62), &second));
        QVERIFY2(second.isEmpty(), qPrintable(second));
    }

    // Once it has loaded its SoundFont, the synthesizer can reach no network and open no file.
    void synthesizerRunsShutOff()
    {
        QProcess synth;
        synth.start(NoteSynth::installedProgram(), {QStringLiteral("--sandbox-check")});
        QVERIFY(synth.waitForFinished(10000));
#if defined(VELMORA_COVERAGE)
        const QStringList files{"new file allowed", "reading allowed"}; // for the coverage counts
#else
        const QStringList files{"new file refused", "reading refused"};
#endif
        QCOMPARE(QString::fromUtf8(synth.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({"network refused", "local socket refused"}) + files);
    }

    void aUsersUnreadableSoundFontIsReportedOnce()
    {
        QFile font(QStringLiteral("velmora.sf2"));
        QVERIFY(font.open(QIODevice::WriteOnly));
        font.write("RIFF\0\0\0\0sfbk not really");
        font.close();
        const auto removeFont = qScopeGuard([] { QFile::remove(QStringLiteral("velmora.sf2")); });
        NoteSynth synth;
        QString first, second;
        QVERIFY(synth.render(phrase::single(60), &first)); // the system's serves
        QVERIFY2(first.contains(QLatin1String("not a SoundFont")), qPrintable(first));
        QVERIFY(synth.render(phrase::single(60), &second));
        QVERIFY2(second.isEmpty(), qPrintable(second));
    }

    // As loud as the chimes (the loudest 50 ms within 3 dB), one note or seven together, and
    // never at full scale.
    void questionsAreAsLoudAsTheChimes_data()
    {
        QTest::addColumn<Phrase>("phrase");
        QTest::newRow("one note") << phrase::single(60);
        QTest::newRow("seven notes") << phrase::brokenThenTogether(staff::soundingKeys({"C", "E", "G", "Bb", "D", "F#", "A"}));
    }
    void questionsAreAsLoudAsTheChimes()
    {
        QFETCH(Phrase, phrase);
        NoteSynth synth;
        const std::optional<PcmSound> sound = synth.render(phrase);
        QVERIFY(sound);
        for (const char *chime : {":/sound/2.wav", ":/sound/4.wav"}) {
            const double db = 20 * std::log10(loudest50ms(*sound) / loudest50ms(*decodeWavFile(QString::fromLatin1(chime))));
            QVERIFY2(std::abs(db) <= 3, qPrintable(QStringLiteral("%1 dB from %2").arg(db).arg(chime)));
        }
        QVERIFY2(peakOf(*sound) < 32000, qPrintable(QString::number(peakOf(*sound))));
    }

    void chordsByEarDrawsTheBassUntilAnswered_data()
    {
        QTest::addColumn<bool>("soundOff");
        QTest::addColumn<bool>("serverTakesIt");
        QTest::addColumn<bool>("byEar"); // only the bass drawn until the answer
        QTest::newRow("heard") << false << true << true;
        QTest::newRow("sound off: drawn whole") << true << true << false;
        QTest::newRow("no sound server: drawn whole") << false << false << false;
    }

    void chordsByEarDrawsTheBassUntilAnswered()
    {
        QFETCH(bool, soundOff);
        QFETCH(bool, serverTakesIt);
        QFETCH(bool, byEar);
        test::Harness h;
        h.sound.detachedPlays = serverTakesIt;
        h.find<QCheckBox>(QStringLiteral("Sound_off"))->setChecked(soundOff);
        h.window.findChild<QAction *>(QStringLiteral("ChordsByEar"))->trigger();
        const auto headsShown = [&] {
            int shown = 0;
            for (int head = 1; head <= staff::HeadCount; ++head)
                shown += h.find(QStringLiteral("noot%1").arg(head))->isVisibleTo(&h.window);
            return shown;
        };
        h.selectTab(QStringLiteral("Chords"));
        h.click(QStringLiteral("Command1"));
        // Only the bass while the notes are rendered, unless they cannot be heard at all.
        QCOMPARE(headsShown() == 1, !soundOff);
        QTRY_COMPARE(h.sound.detachedStarts, soundOff ? 0 : 1);
        QTRY_COMPARE(headsShown() == 1, byEar);
        QVERIFY(headsShown() >= 3 || byEar);
        QCOMPARE(h.text(QStringLiteral("Text1")) == QLatin1String("Uitgeschakeld"), byEar);
        // A screen reader is told only what is drawn.
        const QStringList told = h.find(QStringLiteral("Command1"))->accessibleDescription().section(QLatin1String(": "), 1).split(QStringLiteral(", "));
        QCOMPARE(told.size() == 1, byEar);

        // A right answer draws it whole; the press stopped the notes first.
        const int stops = h.sound.detachedStops;
        const auto [key, kind] = test::splitChordAnswer(h.text(QStringLiteral("Label1")));
        h.click(test::keyButtonFor(key));
        h.click(test::chordButtonFor(kind));
        QVERIFY(headsShown() >= 3);
        QVERIFY(h.text(QStringLiteral("Text1")) != QLatin1String("Uitgeschakeld"));
        QVERIFY(h.sound.detachedStops >= stops + 2);
    }

    void playTheQuestionWaitsForAQuestion()
    {
        test::Harness h;
        auto *play = h.window.findChild<QAction *>(QStringLiteral("PlayQuestion"));
        h.selectTab(QStringLiteral("Transpose"));
        QVERIFY(!play->isEnabled());
        h.click(QStringLiteral("Command33"));
        QVERIFY(play->isEnabled());
        // Heard even with "Sound off", as the About tune is.
        h.find<QCheckBox>(QStringLiteral("Sound_off"))->setChecked(true);
        play->trigger();
        QTRY_COMPARE(h.sound.detachedStarts, 1);
        // A press before the notes arrive drops them.
        play->trigger();
        h.click(QStringLiteral("Command33"));
        QTest::qWait(500);
        QCOMPARE(h.sound.detachedStarts, 1);
        h.selectTab(QStringLiteral("Intervals"));
        QVERIFY(!play->isEnabled());
    }
};

QTEST_MAIN(TestListening)
#include "tst_listening.moc"
