#pragma once

#include "music/expected.h"
#include "music/valuechoice.h"
#include "practice/weakspots.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <utility>

namespace velmora {

class RandomSource;
class RecordCursor;

struct IntervalChoice
{
    const char *name; // as "Interval_uk" holds it
    const char *caption;
};

inline constexpr int IntervalChoiceCount = 13;
const std::array<IntervalChoice, IntervalChoiceCount> &intervalChoices();

using IntervalSelection = std::array<bool, IntervalChoiceCount>; // ticked, in the order above

struct IntervalCheck
{
    bool IntervalRejected = false;   // a name of the thirteen whose box is unticked
    bool NoIntervalSelected = false; // no box ticked at all
};

// A name that is none of the thirteen is never rejected.
IntervalCheck CheckIntervalChoice(QStringView interval, const IntervalSelection &ticked);

struct IntervalQuestion
{
    QString startNote;
    QString interval;
    QString direction;
    QString expected;
    bool noneSelected = false; // no box ticked: the press ends in "No Intervalls selected!"
};

// `startNotes` are the keys whose tonic may start the interval.
Expected<IntervalQuestion> drawIntervalQuestion(RecordCursor &ladders, RecordCursor &intervals,
                                                RandomSource &random, const IntervalSelection &ticked,
                                                const ValueChoice &startNotes = {});
// With "Practise my weak spots" (and some box ticked): a question's row is the start note, its
// column the interval's name and direction (intervalColumn).
Expected<IntervalQuestion> drawIntervalQuestion(RecordCursor &ladders, RecordCursor &intervals, RandomSource &random,
                                                const IntervalSelection &ticked, const ValueChoice &startNotes,
                                                const WeakSpotPick &pick);
QString intervalColumn(const QString &interval, const QString &direction);

// The start note (in octave 4) and the note that completes the interval: as many semitones as its
// name gives ("Prime" 0 ... "Octave" 12) below it for "down", above it for any other direction.
// Nothing for a start note or an interval name that is none of these.
std::optional<std::pair<int, int>> intervalKeys(QStringView startNote, QStringView interval, QStringView direction);

} // namespace velmora
