#include "exercises/chords/chordkinds.h"
#include "exercises/chords/chordquestion.h"
#include "music/musicdatabase.h"
#include "music/random.h"
#include "exercises/chords/staffgeometry.h"

#include <QTest>

#include <algorithm>
#include <map>

using namespace velmora;
using namespace velmora::staff;

Q_DECLARE_METATYPE(velmora::NoteSlots)

namespace {

NoteSlots slotsOf(std::initializer_list<const char *> notes)
{
    NoteSlots result;
    int i = 0;
    for (const char *note : notes)
        result[i++] = QString::fromUtf8(note);
    return result;
}

HeadTops initialTops()
{
    HeadTops tops;
    tops.fill(InitialHeadTop);
    return tops;
}

MusicDatabase *builtInData = nullptr;

// The scale of a key as the built-in data holds it.
DrawnRecord scaleOf(const QString &key)
{
    RecordCursor ladders(builtInData->connectionName(), tables::Ladders);
    const int count = *ladders.count();
    for (int k = 0; k < count; ++k) {
        const Expected<DrawnRecord> record = ladders.draw(count, (k + 0.5) / count);
        if (*record->field(QStringLiteral("Toonsoort")) == key)
            return *record;
    }
    qFatal("no key %s", qPrintable(key));
}

} // namespace

class TestChordLogic : public QObject
{
    Q_OBJECT

    MusicDatabase m_data;

private slots:
    void initTestCase()
    {
        m_data.open(QString());
        builtInData = &m_data;
    }

    void builders_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("code");
        QTest::addColumn<NoteSlots>("expected");
        QTest::newRow("maj_3 in C") << "C" << "maj_3" << slotsOf({"C", "E", "G"});
        QTest::newRow("dim_7 in Cb takes a triple flat") << "Cb" << "dim_7" << slotsOf({"Cb", "Ebb", "Gbb", "Bbbb"});
        QTest::newRow("min_13 takes b13") << "C" << "min_13" << slotsOf({"C", "Eb", "G", "Bb", "D", "F", "Ab"});
        QTest::newRow("sus4_3 has no third") << "D" << "sus4_3" << slotsOf({"D", "G", "A"});
        QTest::newRow("dom13_en11 in C") << "C" << "dom13_en11" << slotsOf({"C", "E", "G", "Bb", "D", "F#", "A"});
        QTest::newRow("om_3 in C# doubles a sharp") << "C#" << "om_3" << slotsOf({"C#", "E#", "Gx"});
    }
    void builders()
    {
        QFETCH(QString, key);
        QFETCH(NoteSlots, expected);
        QFETCH(QString, code);
        const ChordKind *kind = findChordKind(code);
        QVERIFY(kind);
        const Expected<NoteSlots> built = buildChord(*kind, scaleOf(key));
        QVERIFY(built);
        QCOMPARE(*built, expected);
    }

    void unknownCodesHaveNoBuilder()
    {
        QVERIFY(!findChordKind(u"maj7_en13"));
        QVERIFY(!findChordKind(u"MAJ_3"));
        QVERIFY(!findChordKind(u"maj_3 "));
    }

    // The rule looks only at the end of the code; the chords it must keep out are exactly those
    // of five notes or more.
    void exclusionRuleAgainstAllCodes()
    {
        for (const ChordKind &kind : chordKinds())
            QCOMPARE(isExtendedChordCode(kind.code), kind.degrees.size() >= 5);
    }

    void shuffleIsAUniformPermutation()
    {
        SeededRandom random(42);
        const NoteSlots original = slotsOf({"C", "E", "G", "Bb", "", "", ""});
        std::map<QString, int> rootPositions;
        constexpr int Rounds = 7000;
        for (int round = 0; round < Rounds; ++round) {
            NoteSlots shuffled = original;
            ShuffleNoteSlots(shuffled, random);
            NoteSlots sorted = shuffled;
            NoteSlots expected = original;
            std::ranges::sort(sorted);
            std::ranges::sort(expected);
            QCOMPARE(sorted, expected);
            ++rootPositions[QString::number(std::ranges::find(shuffled, QStringLiteral("C")) - shuffled.begin())];
        }
        QCOMPARE(rootPositions.size(), size_t(7));
        for (const auto &[position, count] : rootPositions)
            QVERIFY2(count > 850 && count < 1150, qPrintable(position + QLatin1Char(':') + QString::number(count)));
    }

    void noteList_data()
    {
        QTest::addColumn<NoteSlots>("notes");
        QTest::addColumn<bool>("listNotes");
        QTest::addColumn<QString>("text");
        QTest::newRow("triad ends in eight blanks") << slotsOf({"C", "E", "G"}) << true << "C  E  G        ";
        QTest::newRow("empty slot in the middle") << slotsOf({"C", "", "G"}) << true << "C    G        ";
        QTest::newRow("switched off") << slotsOf({"C", "E", "G"}) << false << "Uitgeschakeld";
    }
    void noteList()
    {
        QFETCH(bool, listNotes);
        QFETCH(QString, text);
        QFETCH(NoteSlots, notes);
        QCOMPARE(noteListText(notes, listNotes), text);
    }

    // What "Chords by ear" draws: the bass, or where "Random order" left the bass staff empty, the
    // lowest note heard (the treble's B is B3, below its C4), in its own slot.
    void heardReference_data()
    {
        QTest::addColumn<NoteSlots>("notes");
        QTest::addColumn<NoteSlots>("drawn");
        QTest::newRow("the bass") << slotsOf({"D", "F#", "A", "C"}) << slotsOf({"D"});
        QTest::newRow("no bass: the lowest heard") << slotsOf({"", "E", "", "Bb", "C#"}) << slotsOf({"", "", "", "Bb"});
        QTest::newRow("no bass: a sign lowers it") << slotsOf({"", "C", "Cb"}) << slotsOf({"", "", "Cb"});
    }
    void heardReference()
    {
        QFETCH(NoteSlots, notes);
        QFETCH(NoteSlots, drawn);
        QCOMPARE(staff::heardReference(notes), drawn);
    }

    // One note in one slot: its sign, if the staff draws one, stands left of the head, which stays
    // where its bare letter stands. A letter the staff does not know keeps the head's last height.
    void signs_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("sign");
        QTest::newRow("Bb on the bass staff") << 1 << "Bb" << "b_noot1";
        QTest::newRow("F# in the left column") << 2 << "F#" << "kruis2";
        QTest::newRow("Ebb shows the double flat") << 4 << "Ebb" << "noot4_bb";
        QTest::newRow("G triple flat") << 5 << "Gbbb" << "noot5_bbb";
        QTest::newRow("Fx shows the double sharp") << 6 << "Fx" << "kruis_x6";
        QTest::newRow("two sharps show nothing") << 2 << "C##" << "";
        QTest::newRow("flat and double sharp show nothing") << 3 << "Dbx" << "";
        QTest::newRow("lower-case letter keeps its last height") << 4 << "e" << "";
    }
    void signs()
    {
        QFETCH(int, slot);
        QFETCH(QString, note);
        QFETCH(QString, sign);
        NoteSlots notes, bare;
        notes[slot - 1] = note;
        bare[slot - 1] = note.left(1).toUpper();
        const HeadPlacement head = placeChord(notes, initialTops())[slot - 1];
        QVERIFY(head.visible);
        const HeadPlacement place = placeChord(bare, initialTops())[slot - 1];
        QCOMPARE(head.left, place.left);
        QCOMPARE(head.top, note[0].isLower() ? InitialHeadTop : place.top);
        QString shown;
        for (const AccidentalSign &s : accidentalSigns()) {
            if (head.accidental == s.kind) {
                shown = signObjectName(s, slot);
                QVERIFY(s.leftOffset > 0);
            }
        }
        QCOMPARE(shown, sign);
    }

    // Each staff's letters, from its lowest written note up (bass A2 to G3, treble B3 to A4), climb
    // the staff one step each; in the treble, heads a second apart stand in the two columns.
    void headsClimbTheStaffWithTheirLetters()
    {
        const Placement bass = placeChord(slotsOf({"A"}), initialTops());
        QCOMPARE(bass[0].left, BassColumn);
        int below = bass[0].top;
        for (const char *letter : {"B", "C", "D", "E", "F", "G"}) {
            const HeadPlacement head = placeChord(slotsOf({letter}), initialTops())[0];
            QVERIFY2(head.top < below && below - head.top < 100, letter); // a step, not two
            below = head.top;
        }
        const std::array<const char *, 7> treble{"B", "C", "D", "E", "F", "G", "A"};
        for (size_t i = 0; i < treble.size(); ++i) {
            const HeadPlacement head = placeChord(slotsOf({"C", treble[i]}), initialTops())[1];
            QVERIFY2(i == 0 || (head.top < below && below - head.top < 100), treble[i]);
            QVERIFY2(head.left == (i % 2 == 0 ? TrebleLeftColumn : TrebleRightColumn), treble[i]);
            below = head.top;
        }
        const Placement signs = placeChord(slotsOf({"C", "E", "G", "Bb", "D", "F#", "A"}), initialTops());
        QCOMPARE(signs[3].accidental, Accidental::Flat);
        QCOMPARE(signs[5].accidental, Accidental::Sharp);
        for (int k : {0, 1, 2, 4, 6})
            QVERIFY(!signs[k].accidental);
    }

    void emptySlotsHideTheirHeadsAndKeepHeights()
    {
        HeadTops previous = initialTops();
        previous[5] = 875;
        const Placement p = placeChord(slotsOf({"G", "B", "D"}), previous);
        for (int k = 3; k < 7; ++k) {
            QVERIFY(!p[k].visible);
            QVERIFY(!p[k].accidental);
        }
        QCOMPARE(p[5].top, 875);
        QCOMPARE(p[1].top, 1320);
    }
};

QTEST_GUILESS_MAIN(TestChordLogic)
#include "tst_chordlogic.moc"
