#pragma once

#include "music/expected.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <span>

namespace velmora {

class DrawnRecord;

// The notes of the current chord, root first; unused slots hold the empty text.
using NoteSlots = std::array<QString, 7>;

struct ChordKind
{
    QString code;
    QStringList degrees; // "Ladders" fields for slot 1, 2, ...
};

std::span<const ChordKind> chordKinds();
const ChordKind *findChordKind(QStringView code);

// Ninth, eleventh and thirteenth chords, judged by the end of the code's text.
bool isExtendedChordCode(QStringView code);

Expected<NoteSlots> buildChord(const ChordKind &kind, const DrawnRecord &scale);

} // namespace velmora
