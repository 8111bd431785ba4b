#include "exercises/relations/relations.h"

#include <QCoreApplication>

#include "music/phrase.h"

#include "music/musicdatabase.h"
#include "music/random.h"

namespace velmora {

Expected<RelationsQuestion> drawRelationsQuestion(RecordCursor &ladders, RandomSource &random, RelationsMode mode,
                                                  const ValueChoice &keys)
{
    const DrawSnapshot snapshot(ladders);
    const Expected<KeyedScale> scale = drawKeyedScale(ladders, random, keys);
    if (!scale)
        return scale.failure();
    const QString &key = scale->key;
    const Expected<QString> sixth = scale->record.field(QStringLiteral("6"));
    if (!sixth)
        return sixth.failure();

    bool major = mode == RelationsMode::Major;
    if (mode == RelationsMode::Both) {
        const double r2 = random.next();
        major = int(r2 + r2) + 1 == 1;
    }
    if (major)
        return RelationsQuestion{key + QStringLiteral(" maj"), *sixth + QStringLiteral(" min"), key, true};
    return RelationsQuestion{*sixth + QStringLiteral(" min"), key + QStringLiteral(" maj"), key, false};
}

Expected<RelationsQuestion> drawRelationsQuestion(RecordCursor &ladders, RandomSource &random, RelationsMode mode,
                                                  const ValueChoice &keys, const WeakSpotPick &pick)
{
    const DrawSnapshot snapshot(ladders);
    const Expected<std::vector<RecordCursor::Group>> rows = keyGroups(ladders, keys);
    if (!rows)
        return rows.failure();
    std::vector<CellColumn> columns;
    for (const QString &column : RelationsColumns) {
        if (mode == RelationsMode::Both || (mode == RelationsMode::Major) == (column == RelationsColumns.first()))
            columns.push_back({column});
    }
    const PickedCell cell = pickCell(*rows, columns, pick, random);
    const Expected<DrawnRecord> scale =
        ladders.drawFromGroup({fields::Key}, (*rows)[size_t(cell.row)], cell.drawn ? random.next() : 0);
    if (!scale)
        return scale.failure();
    const QString key = (*rows)[size_t(cell.row)].values.first();
    const Expected<QString> sixth = scale->field(QStringLiteral("6"));
    if (!sixth)
        return sixth.failure();
    if (columns[size_t(cell.column)].name == RelationsColumns.first())
        return RelationsQuestion{key + QStringLiteral(" maj"), *sixth + QStringLiteral(" min"), key, true};
    return RelationsQuestion{*sixth + QStringLiteral(" min"), key + QStringLiteral(" maj"), key, false};
}

std::span<const RelationsAnswer> relationsAnswers()
{
    static const std::array<RelationsAnswer, 30> answers{{
        {QT_TRANSLATE_NOOP("Velmora", "C min"), "C min"},
        {QT_TRANSLATE_NOOP("Velmora", "C# min"), "C# min"},
        {QT_TRANSLATE_NOOP("Velmora", "D min"), "D min"},
        {QT_TRANSLATE_NOOP("Velmora", "D# min"), "D# min"},
        {QT_TRANSLATE_NOOP("Velmora", "Eb min"), "Eb min"},
        {QT_TRANSLATE_NOOP("Velmora", "E min"), "E min"},
        {QT_TRANSLATE_NOOP("Velmora", "F min"), "F min"},
        {QT_TRANSLATE_NOOP("Velmora", "F# min"), "F# min"},
        {QT_TRANSLATE_NOOP("Velmora", "G min"), "G min"},
        {QT_TRANSLATE_NOOP("Velmora", "G#min"), "G# min"},
        {QT_TRANSLATE_NOOP("Velmora", "Ab min"), "Ab min"},
        {QT_TRANSLATE_NOOP("Velmora", "A min"), "A min"},
        {QT_TRANSLATE_NOOP("Velmora", "A# min"), "A# min"},
        {QT_TRANSLATE_NOOP("Velmora", "Bb min"), "Bb min"},
        {QT_TRANSLATE_NOOP("Velmora", "B min"), "B min"},
        {QT_TRANSLATE_NOOP("Velmora", "C maj"), "C maj"},
        {QT_TRANSLATE_NOOP("Velmora", "C# maj"), "C# maj"},
        {QT_TRANSLATE_NOOP("Velmora", "Db maj"), "Db maj"},
        {QT_TRANSLATE_NOOP("Velmora", "D maj"), "D maj"},
        {QT_TRANSLATE_NOOP("Velmora", "Eb maj"), "Eb maj"},
        {QT_TRANSLATE_NOOP("Velmora", "E maj"), "E maj"},
        {QT_TRANSLATE_NOOP("Velmora", "F maj"), "F maj"},
        {QT_TRANSLATE_NOOP("Velmora", "F# maj"), "F# maj"},
        {QT_TRANSLATE_NOOP("Velmora", "Gb maj"), "Gb maj"},
        {QT_TRANSLATE_NOOP("Velmora", "G maj"), "G maj"},
        {QT_TRANSLATE_NOOP("Velmora", "Ab maj"), "Ab maj"},
        {QT_TRANSLATE_NOOP("Velmora", "A maj"), "A maj"},
        {QT_TRANSLATE_NOOP("Velmora", "Bb maj"), "Bb maj"},
        {QT_TRANSLATE_NOOP("Velmora", "B maj"), "B maj"},
        {QT_TRANSLATE_NOOP("Velmora", "Cb maj"), "Cb maj"},
    }};
    return answers;
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
