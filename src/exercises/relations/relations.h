#pragma once

#include "music/expected.h"
#include "music/valuechoice.h"
#include "practice/weakspots.h"

#include <QString>
#include <QStringList>

#include <span>
#include <vector>

namespace velmora {

class RandomSource;
class RecordCursor;

// A major question names key + " maj" and expects its sixth + " min"; a minor question the reverse.
enum class RelationsMode { Major, Minor, Both };

struct RelationsQuestion
{
    QString text;
    QString expected;
    QString key;       // the major key of the pair
    bool major = true; // a major chord asked
};

// `keys` are the major keys of the pairs that may be asked.
Expected<RelationsQuestion> drawRelationsQuestion(RecordCursor &ladders, RandomSource &random, RelationsMode mode,
                                                  const ValueChoice &keys = {});
// With "Practise my weak spots": a question's row is the major key, its column "major" or "minor"
// (RelationsColumns), the kind of chord asked.
inline const QStringList RelationsColumns{QStringLiteral("major"), QStringLiteral("minor")};
Expected<RelationsQuestion> drawRelationsQuestion(RecordCursor &ladders, RandomSource &random, RelationsMode mode,
                                                  const ValueChoice &keys, const WeakSpotPick &pick);

// The chords a relation is answered with: the minor chords by pitch, then the major ones.
struct RelationsAnswer
{
    const char *caption;
    const char *answer; // "C# min": as a question's expected answer reads
};

std::span<const RelationsAnswer> relationsAnswers();

// The chord a button or question names ("Eb maj", "C# min") as a root-position triad with its root
// in octave 3; nothing for a name that is no such chord.
std::vector<int> triadKeys(QStringView chord);

} // namespace velmora
