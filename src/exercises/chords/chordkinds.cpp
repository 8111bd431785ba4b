#include "exercises/chords/chordkinds.h"

#include "music/musicdatabase.h"

namespace velmora {

std::span<const ChordKind> chordKinds()
{
    static const std::array<ChordKind, 28> kinds{{
        {"maj_3", {"1", "3", "5"}},
        {"min_3", {"1", "b3", "5"}},
        {"dim_3", {"1", "b3", "b5"}},
        {"om_3", {"1", "3", "+5"}},
        {"sus4_3", {"1", "4", "5"}},
        {"maj_7", {"1", "3", "5", "7"}},
        {"min_7", {"1", "b3", "5", "b7"}},
        {"min_maj7", {"1", "b3", "5", "7"}},
        {"dom_7", {"1", "3", "5", "b7"}},
        {"min7_b5", {"1", "b3", "b5", "b7"}},
        {"dim_7", {"1", "b3", "b5", "bb7"}},
        {"dom7_b5", {"1", "3", "b5", "b7"}},
        {"dom7_en5", {"1", "3", "+5", "b7"}},
        {"maj7_en5", {"1", "3", "+5", "7"}},
        {"maj_9", {"1", "3", "5", "7", "9"}},
        {"min7_9", {"1", "b3", "5", "b7", "9"}},
        {"dom_9", {"1", "3", "5", "b7", "9"}},
        {"dom7_b9", {"1", "3", "5", "b7", "b9"}},
        {"maj_11", {"1", "3", "5", "7", "9", "11"}},
        {"min_11", {"1", "b3", "5", "b7", "9", "11"}},
        {"dom_11", {"1", "3", "5", "b7", "9", "11"}},
        {"dom_en11", {"1", "3", "5", "b7", "9", "+11"}},
        {"maj_13", {"1", "3", "5", "7", "9", "11", "13"}},
        {"maj13_en11", {"1", "3", "5", "7", "9", "+11", "13"}},
        {"dom13_en11", {"1", "3", "5", "b7", "9", "+11", "13"}},
        {"dom13_b5", {"1", "3", "b5", "b7", "9", "11", "13"}},
        {"dom13_en5", {"1", "3", "+5", "b7", "9", "11", "13"}},
        {"min_13", {"1", "b3", "5", "b7", "9", "11", "b13"}},
    }};
    return kinds;
}

const ChordKind *findChordKind(QStringView code)
{
    for (const ChordKind &kind : chordKinds()) {
        if (kind.code == code)
            return &kind;
    }
    return nullptr;
}

bool isExtendedChordCode(QStringView code)
{
    return code.endsWith(u"13_en5") || code.endsWith(u"13_b5") || code.endsWith(u"13")
        || code.endsWith(u"11") || code.endsWith(u"9");
}

Expected<NoteSlots> buildChord(const ChordKind &kind, const DrawnRecord &scale)
{
    NoteSlots notes;
    for (qsizetype i = 0; i < kind.degrees.size() && i < qsizetype(notes.size()); ++i) {
        const Expected<QString> note = scale.field(kind.degrees.at(i));
        if (!note)
            return note.failure();
        notes[i] = *note;
    }
    return notes;
}

} // namespace velmora
