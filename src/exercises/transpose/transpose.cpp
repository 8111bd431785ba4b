#include "exercises/transpose/transpose.h"

#include "music/phrase.h"

#include "music/musicdatabase.h"
#include "music/random.h"

namespace velmora {

std::optional<QString> transpositionField(Instrument score, Instrument player)
{
    if (score == Instrument::Other || player == Instrument::Other)
        return std::nullopt;
    // Rows: the score's instrument; columns: the instrument that plays.
    static const char *const table[3][3] = {
        {"1", "9", "6"},
        {"b7", "1", "5"},
        {"b3", "4", "1"},
    };
    return QString::fromLatin1(table[int(score)][int(player)]);
}

Expected<TransposeQuestion> drawTransposeQuestion(RecordCursor &ladders, RandomSource &random, const QString &degree,
                                                  const ValueChoice &keys)
{
    if (degree.isEmpty()) {
        return Failure{
            QStringLiteral("No transposition is known for the chosen pair of instruments.")};
    }
    const DrawSnapshot snapshot(ladders);
    const Expected<KeyedScale> scale = drawKeyedScale(ladders, random, keys);
    if (!scale)
        return scale.failure();
    const Expected<QString> expected = scale->record.field(degree);
    if (!expected)
        return expected.failure();
    return TransposeQuestion{scale->key, *expected};
}

Expected<TransposeQuestion> drawTransposeQuestion(RecordCursor &ladders, RandomSource &random, const QString &degree,
                                                  const ValueChoice &keys, const QString &pair, const WeakSpotPick &pick)
{
    if (degree.isEmpty())
        return drawTransposeQuestion(ladders, random, degree, keys);
    const DrawSnapshot snapshot(ladders);
    const Expected<std::vector<RecordCursor::Group>> rows = keyGroups(ladders, keys);
    if (!rows)
        return rows.failure();
    const PickedCell cell = pickCell(*rows, {{pair}}, pick, random);
    const Expected<DrawnRecord> scale =
        ladders.drawFromGroup({fields::Key}, (*rows)[size_t(cell.row)], cell.drawn ? random.next() : 0);
    if (!scale)
        return scale.failure();
    const Expected<QString> expected = scale->field(degree);
    if (!expected)
        return expected.failure();
    return TransposeQuestion{(*rows)[size_t(cell.row)].values.first(), *expected};
}

std::optional<int> soundingKey(QStringView written, Instrument score)
{
    const std::optional<int> key = pitchOf(written, 4);
    if (!key)
        return std::nullopt;
    return *key - (score == Instrument::Bb ? 2 : score == Instrument::Eb ? 9 : 0);
}

} // namespace velmora
