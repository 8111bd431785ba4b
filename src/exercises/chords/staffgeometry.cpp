#include "exercises/chords/staffgeometry.h"

#include "music/phrase.h"

#include "music/notename.h"

namespace velmora::staff {

namespace {

struct LetterHeight
{
    QChar letter;
    int bassTop;
    int trebleTop;
};

constexpr std::array<LetterHeight, 7> Heights{{
    {u'A', 2540, 875},
    {u'B', 2450, 1320},
    {u'C', 2375, 1260},
    {u'D', 2300, 1190},
    {u'E', 2225, 1100},
    {u'F', 2140, 1020},
    {u'G', 2060, 950},
}};

const LetterHeight *heightOf(QStringView letter)
{
    for (const LetterHeight &height : Heights) {
        if (letter == height.letter)
            return &height;
    }
    return nullptr;
}

// In the treble range used, B, D, F and A fall between lines and C, E, G on one, so a second
// always spans both columns.
bool inLeftColumn(QStringView letter)
{
    return !letter.isEmpty() && QStringView(u"BDFA").contains(letter.front());
}

} // namespace

const std::array<AccidentalSign, AccidentalCount> &accidentalSigns()
{
    static const std::array<AccidentalSign, AccidentalCount> signs{{
        {Accidental::Flat, "b", "b_noot%1", 135, 120, 240, 120, 2640},
        {Accidental::Sharp, "#", "kruis%1", 135, 120, 1080, 120, 2640},
        {Accidental::DoubleSharp, "x", "kruis_x%1", 135, 120, 240, 120, 2760},
        {Accidental::DoubleFlat, "bb", "noot%1_bb", 255, 210, 120, 240, 2880},
        {Accidental::TripleFlat, "bbb", "noot%1_bbb", 375, 300, 0, 360, 0},
    }};
    return signs;
}

QString signObjectName(const AccidentalSign &sign, int head)
{
    return QString::fromLatin1(sign.nameFormat).arg(head);
}

namespace {

std::optional<Accidental> signOf(const NoteName &note)
{
    const QStringView suffix = note.suffix.left(3);
    for (const AccidentalSign &sign : accidentalSigns()) {
        if (suffix == QLatin1String(sign.suffix))
            return sign.kind;
    }
    return std::nullopt;
}

} // namespace

std::optional<Accidental> accidentalOf(QStringView note)
{
    return signOf(NoteName::split(note));
}

int initialHeadLeft(int head)
{
    return head == 1 ? 1560 : 840 + 120 * (head - 2);
}

Placement placeChord(const NoteSlots &notes, const HeadTops &previousTops)
{
    Placement placement;
    for (int k = 0; k < HeadCount; ++k) {
        const NoteName note = NoteName::split(notes[k]);
        HeadPlacement &head = placement[k];
        head.visible = !notes[k].isEmpty();
        head.accidental = signOf(note);
        const LetterHeight *height = heightOf(note.letter);
        head.top = height ? (k == 0 ? height->bassTop : height->trebleTop) : previousTops[k];
        if (k == 0)
            head.left = BassColumn;
        else
            head.left = inLeftColumn(note.letter) ? TrebleLeftColumn : TrebleRightColumn;
    }
    return placement;
}

namespace {

std::optional<int> soundingKey(const NoteSlots &notes, size_t slot)
{
    const QStringView note = notes[slot];
    const QStringView letter = note.left(1);
    // The octave that the head's place on its staff stands for.
    const bool bass = slot == 0;
    const bool low = bass ? (letter == u"A" || letter == u"B") : letter == u"B";
    const int octave = (bass ? 2 : 3) + (low ? 0 : 1);
    // A sign the staff does not draw leaves the note natural, as it looks.
    return accidentalOf(note) ? pitchOf(note, octave) : pitchOf(letter, octave);
}

} // namespace

std::vector<int> soundingKeys(const NoteSlots &notes)
{
    std::vector<int> keys;
    for (size_t slot = 0; slot < notes.size(); ++slot) {
        if (const std::optional<int> key = soundingKey(notes, slot))
            keys.push_back(*key);
    }
    return keys;
}

NoteSlots heardReference(const NoteSlots &notes)
{
    size_t lowest = 0;
    std::optional<int> lowestKey = soundingKey(notes, 0);
    for (size_t slot = 1; !lowestKey && slot < notes.size(); ++slot)
        lowestKey = soundingKey(notes, lowest = slot);
    for (size_t slot = lowest + 1; slot < notes.size() && lowest > 0; ++slot) {
        const std::optional<int> key = soundingKey(notes, slot);
        if (key && *key < *lowestKey) {
            lowest = slot;
            lowestKey = key;
        }
    }
    NoteSlots reference;
    reference[lowest] = notes[lowest];
    return reference;
}

} // namespace velmora::staff
