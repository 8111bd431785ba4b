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

std::span<const RelationsButton> relationsButtons()
{
    static const std::array<RelationsButton, 30> buttons{{
        {"commaj1", QT_TRANSLATE_NOOP("Velmora", "C min"), "C min", 0, 1},
        {"commaj2", QT_TRANSLATE_NOOP("Velmora", "C# min"), "C# min", 0, 2},
        {"commaj3", QT_TRANSLATE_NOOP("Velmora", "D min"), "D min", 0, 3},
        {"commaj4", QT_TRANSLATE_NOOP("Velmora", "D# min"), "D# min", 0, 4},
        {"commaj5", QT_TRANSLATE_NOOP("Velmora", "Eb min"), "Eb min", 0, 5},
        {"commaj6", QT_TRANSLATE_NOOP("Velmora", "E min"), "E min", 0, 6},
        {"commaj7", QT_TRANSLATE_NOOP("Velmora", "F min"), "F min", 0, 7},
        {"commaj8", QT_TRANSLATE_NOOP("Velmora", "F# min"), "F# min", 0, 8},
        {"commaj9", QT_TRANSLATE_NOOP("Velmora", "G min"), "G min", 0, 9},
        {"commaj10", QT_TRANSLATE_NOOP("Velmora", "G#min"), "G# min", 0, 10},
        {"commaj11", QT_TRANSLATE_NOOP("Velmora", "Ab min"), "Ab min", 0, 11},
        {"commaj12", QT_TRANSLATE_NOOP("Velmora", "A min"), "A min", 0, 12},
        {"commaj15", QT_TRANSLATE_NOOP("Velmora", "A# min"), "A# min", 0, 13},
        {"commaj13", QT_TRANSLATE_NOOP("Velmora", "Bb min"), "Bb min", 0, 14},
        {"commaj14", QT_TRANSLATE_NOOP("Velmora", "B min"), "B min", 0, 15},
        {"commin1", QT_TRANSLATE_NOOP("Velmora", "C maj"), "C maj", 1, 1},
        {"commin2", QT_TRANSLATE_NOOP("Velmora", "C# maj"), "C# maj", 1, 2},
        {"commin3", QT_TRANSLATE_NOOP("Velmora", "Db maj"), "Db maj", 1, 3},
        {"commin4", QT_TRANSLATE_NOOP("Velmora", "D maj"), "D maj", 1, 4},
        {"commin5", QT_TRANSLATE_NOOP("Velmora", "Eb maj"), "Eb maj", 1, 5},
        {"commin6", QT_TRANSLATE_NOOP("Velmora", "E maj"), "E maj", 1, 6},
        {"commin7", QT_TRANSLATE_NOOP("Velmora", "F maj"), "F maj", 1, 7},
        {"commin8", QT_TRANSLATE_NOOP("Velmora", "F# maj"), "F# maj", 1, 8},
        {"commin9", QT_TRANSLATE_NOOP("Velmora", "Gb maj"), "Gb maj", 1, 9},
        {"commin10", QT_TRANSLATE_NOOP("Velmora", "G maj"), "G maj", 1, 10},
        {"commin11", QT_TRANSLATE_NOOP("Velmora", "Ab maj"), "Ab maj", 1, 11},
        {"commin12", QT_TRANSLATE_NOOP("Velmora", "A maj"), "A maj", 1, 12},
        {"commin13", QT_TRANSLATE_NOOP("Velmora", "Bb maj"), "Bb maj", 1, 13},
        {"commin14", QT_TRANSLATE_NOOP("Velmora", "B maj"), "B maj", 1, 14},
        {"commin15", QT_TRANSLATE_NOOP("Velmora", "Cb maj"), "Cb maj", 1, 15},
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
