#pragma once

#include "music/expected.h"
#include "music/valuechoice.h"
#include "practice/weakspots.h"

#include <QString>

#include <optional>

namespace velmora {

class RandomSource;
class RecordCursor;

enum class Instrument { C, Bb, Eb, Other };

// The "Ladders" degree whose value is the note to play; none when "Other" is on either side.
std::optional<QString> transpositionField(Instrument score, Instrument player);

struct TransposeQuestion
{
    QString writtenNote;
    QString expected;
};

// `keys` are the written notes that may be asked.
Expected<TransposeQuestion> drawTransposeQuestion(RecordCursor &ladders, RandomSource &random, const QString &degree,
                                                  const ValueChoice &keys = {});
// With "Practise my weak spots": a question's row is the written note, its column `pair`, the
// instrument pair the options name.
Expected<TransposeQuestion> drawTransposeQuestion(RecordCursor &ladders, RandomSource &random, const QString &degree,
                                                  const ValueChoice &keys, const QString &pair, const WeakSpotPick &pick);

// The note written for `score` (in octave 4) as that instrument sounds it: a B-flat instrument a
// major second lower, an E-flat one a major sixth lower.
std::optional<int> soundingKey(QStringView written, Instrument score);

} // namespace velmora
