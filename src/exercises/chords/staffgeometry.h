#pragma once

#include "exercises/chords/chordkinds.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <vector>

namespace velmora {

// Where the chord's note heads and accidental signs stand on the grand staff, in twips from the
// top-left of the staff picture. Heads are placed by letter alone: slot 1 on the bass staff,
// slots 2..7 folded into one treble range, seconds split over two columns.
namespace staff {

inline constexpr int HeadCount = 7;
inline constexpr int HeadSize = 135;
inline constexpr int InitialHeadTop = 720;
inline constexpr int BassColumn = 1440;
inline constexpr int TrebleLeftColumn = 1200;
inline constexpr int TrebleRightColumn = 1550;
inline constexpr int SignTopOffset = 50;
inline constexpr int SignHeight = 255;

inline constexpr std::array<int, 5> TrebleLines{540, 690, 855, 1005, 1155};
inline constexpr std::array<int, 5> BassLines{2055, 2205, 2355, 2505, 2670};
inline constexpr int StaffLeft = 180;
inline constexpr int StaffRight = 2130;
inline constexpr int LedgerLineY = 1320;
inline constexpr int LedgerLeft = 1200;
inline constexpr int LedgerRight = 1920;

enum class Accidental { Flat, Sharp, DoubleSharp, DoubleFlat, TripleFlat };
inline constexpr int AccidentalCount = 5;

struct AccidentalSign
{
    Accidental kind;
    const char *suffix;     // the note's suffix that shows this sign
    const char *nameFormat; // %1 is the head number
    int width;
    int leftOffset;         // left of the head's Left
    // Where the form puts the sign before the first chord.
    int initialLeft;
    int initialStep;
    int initialTop;
};

const std::array<AccidentalSign, AccidentalCount> &accidentalSigns();
QString signObjectName(const AccidentalSign &sign, int head); // head 1..7

std::optional<Accidental> accidentalOf(QStringView note);

struct HeadPlacement
{
    bool visible = true;
    int left = 0;
    int top = InitialHeadTop;
    std::optional<Accidental> accidental;
};

using Placement = std::array<HeadPlacement, HeadCount>;
using HeadTops = std::array<int, HeadCount>;

// A head whose slot starts with no letter A..G keeps its previous Top.
Placement placeChord(const NoteSlots &notes, const HeadTops &previousTops);

int initialHeadLeft(int head); // head 1..7


// The chord as drawn, at the pitches a musician reads there: the bass head from A2 to G3, the
// treble heads from B3 to A4, each with the sign drawn beside it. Heads with no letter are silent.
std::vector<int> soundingKeys(const NoteSlots &notes);
// What "Chords by ear" draws: the bass head alone, with its sign; where "Random order" left the bass
// staff empty, the lowest note heard instead, where the staff puts it, so that a chord by ear always
// has one written pitch to be heard from.
NoteSlots heardReference(const NoteSlots &notes);

} // namespace staff
} // namespace velmora
