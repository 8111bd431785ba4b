#pragma once

#include "exercises/chords/chordkinds.h"
#include "music/expected.h"
#include "music/valuechoice.h"
#include "practice/weakspots.h"

#include <QCoreApplication>
#include <QString>

#include <span>

namespace velmora {

class RandomSource;
class RecordCursor;

struct ChordOptions
{
    bool excludeExtended = false; // "  9, 11, 13 excluded"
    bool randomOrder = false;
    ValueChoice keys;  // chosen to drill; every key by default
    ValueChoice kinds; // chord-kind codes chosen to drill
};

struct ChordQuestion
{
    QString key;
    QString kind;
    NoteSlots notes;
    bool kindHasBuilder = true; // false: "geen verwijzing!", and the slots are the previous ones
};

// One press of the chord "GO!", computed without touching the window: count and draw the key,
// draw the chord kind (redrawing excluded kinds), build the chord and shuffle it when asked.
Expected<ChordQuestion> drawChordQuestion(RecordCursor &ladders, RecordCursor &chordKinds, RandomSource &random,
                                          const ChordOptions &options, const NoteSlots &previousSlots);
// The same press with "Practise my weak spots": the question due, or a draw weighted per key and
// chord kind (a question's row is its key, its column its chord-kind code).
Expected<ChordQuestion> drawChordQuestion(RecordCursor &ladders, RecordCursor &chordKinds, RandomSource &random,
                                          const ChordOptions &options, const NoteSlots &previousSlots,
                                          const WeakSpotPick &pick);

// A uniformly random permutation of all seven slots, empty ones included.
void ShuffleNoteSlots(NoteSlots &notes, RandomSource &random);

// What the note list reads when it is switched off.
inline constexpr char NotesHidden[] = QT_TRANSLATE_NOOP("Velmora", "Uitgeschakeld");
// The notes joined by two blanks, empty slots contributing nothing; NotesHidden when off.
QString noteListText(const NoteSlots &notes, bool listNotes);

// The keys a chord is answered in (each also its button's caption), in the order the chosen key
// is read.
std::span<const char *const> chordAnswerKeys();

// A chord kind as the answers offer it: the one table the answer grid, the choice of what to drill,
// the progress maps and the score bar all name kinds from.
struct ChordAnswer
{
    const char *code;
    const char *caption; // translated, into plain English on request
    int group;           // 0: major and suspended, 1: minor and diminished, 2: dominant
    bool enabled = true;
    bool confirmsWithMessage = false; // a right answer shows "goed" instead of the usual feedback
};
inline constexpr int ChordAnswerGroups = 3;

std::span<const ChordAnswer> chordAnswers();
const ChordAnswer *chordAnswerFor(QStringView code);

inline bool isRightChordAnswer(const QString &questionKey, const QString &questionKind, const QString &chosenKey,
                               const QString &buttonCode)
{
    return !questionKind.isEmpty() && questionKey == chosenKey && questionKind == buttonCode;
}

} // namespace velmora
