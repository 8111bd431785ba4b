#include "exercises/relations/relations.h"

#include "music/phrase.h"

#include "music/musicdatabase.h"
#include "music/random.h"

namespace velmora {

Expected<RelationsQuestion> drawRelationsQuestion(RecordCursor &ladders, RandomSource &random, RelationsMode mode,
                                                  const ValueChoice &keys)
{
    const PressSnapshot snapshot(ladders);
    const Expected<KeyedScale> scale = drawKeyedScale(ladders, random, keys);
    if (!scale)
        return Failure{scale.error()};
    const QString &key = scale->key;
    const Expected<QString> sixth = scale->record.field(QStringLiteral("6"));
    if (!sixth)
        return Failure{sixth.error()};

    bool major = mode == RelationsMode::Major;
    if (mode == RelationsMode::Both) {
        const double r2 = random.next();
        major = int(r2 + r2) + 1 == 1;
    }
    if (major)
        return RelationsQuestion{key + QStringLiteral(" maj"), *sixth + QStringLiteral(" min")};
    return RelationsQuestion{*sixth + QStringLiteral(" min"), key + QStringLiteral(" maj")};
}

std::span<const RelationsButton> relationsButtons()
{
    static const std::array<RelationsButton, 30> buttons{{
        {"commaj1", "C min", "C min", 0, 1},
        {"commaj2", "C# min", "C# min", 0, 2},
        {"commaj3", "D min", "D min", 0, 3},
        {"commaj4", "D# min", "D# min", 0, 4},
        {"commaj5", "Eb min", "Eb min", 0, 5},
        {"commaj6", "E min", "E min", 0, 6},
        {"commaj7", "F min", "F min", 0, 7},
        {"commaj8", "F# min", "F# min", 0, 8},
        {"commaj9", "G min", "G min", 0, 9},
        {"commaj10", "G#min", "G# min", 0, 10},
        {"commaj11", "Ab min", "Ab min", 0, 11},
        {"commaj12", "A min", "A min", 0, 12},
        {"commaj15", "A# min", "A# min", 0, 13},
        {"commaj13", "Bb min", "Bb min", 0, 14},
        {"commaj14", "B min", "B min", 0, 15},
        {"commin1", "C maj", "C maj", 1, 1},
        {"commin2", "C# maj", "C# maj", 1, 2},
        {"commin3", "Db maj", "Db maj", 1, 3},
        {"commin4", "D maj", "D maj", 1, 4},
        {"commin5", "Eb maj", "Eb maj", 1, 5},
        {"commin6", "E maj", "E maj", 1, 6},
        {"commin7", "F maj", "F maj", 1, 7},
        {"commin8", "F# maj", "F# maj", 1, 8},
        {"commin9", "Gb maj", "Gb maj", 1, 9},
        {"commin10", "G maj", "G maj", 1, 10},
        {"commin11", "Ab maj", "Ab maj", 1, 11},
        {"commin12", "A maj", "A maj", 1, 12},
        {"commin13", "Bb maj", "Bb maj", 1, 13},
        {"commin14", "B maj", "B maj", 1, 14},
        {"commin15", "Cb maj", "Cb maj", 1, 15},
    }};
    return buttons;
}

std::vector<int> triadKeys(QStringView chord)
{
    const qsizetype space = chord.indexOf(u' ');
    const QStringView quality = space < 0 ? QStringView() : chord.mid(space + 1);
    const std::optional<int> root = space < 0 ? std::nullopt : pitchOf(chord.left(space), 3);
    if (!root || (quality != u"maj" && quality != u"min"))
        return {};
    return {*root, *root + (quality == u"maj" ? 4 : 3), *root + 7};
}

} // namespace velmora
