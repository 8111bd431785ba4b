#include "exercises/chords/chordquestion.h"

#include <QCoreApplication>

#include "music/musicdatabase.h"
#include "music/random.h"

#include <QVariantList>

#include <algorithm>

namespace velmora {

namespace {

Expected<QString> DrawChordKind(RecordCursor &chordKinds, RandomSource &random, bool excludeExtended,
                                const ValueChoice &kinds)
{
    if (!kinds.isAll()) {
        // As the exclusion's redraw: one pass, each allowed record drawn equally often.
        const Expected<DrawnRecord> record = chordKinds.drawAmong(
            {fields::ChordKind},
            [&](const QVariantList &values) {
                const QString code = values[0].toString();
                return !values[0].isNull() && kinds.allows(code) && !(excludeExtended && isExtendedChordCode(code));
            },
            random.next());
        if (record)
            return record->field(fields::ChordKind);
        if (!record.error().isEmpty())
            return record.failure();
        return Failure{excludeExtended
                           ? QStringLiteral("Every chord kind chosen to drill is a 9th, 11th or 13th chord, so none "
                                            "can be asked while \"  9, 11, 13 excluded\" is ticked.")
                           : QStringLiteral("Table \"%1\" holds none of the chord kinds chosen to drill: choose "
                                            "others in \"Choose what to drill...\".")
                                 .arg(chordKinds.table())};
    }
    if (!excludeExtended) {
        const Expected<int> count = chordKinds.count();
        if (!count)
            return count.failure();
        const Expected<DrawnRecord> record = chordKinds.draw(*count, random.next());
        if (!record)
            return record.failure();
        return record->field(fields::ChordKind);
    }
    // Redrawing until a code is not a 9th, 11th or 13th chord (or cannot be read, which ends the
    // press) ends on each such record equally often: draw among them in one pass instead.
    const Expected<DrawnRecord> record = chordKinds.drawAmong(
        {fields::ChordKind},
        [](const QVariantList &values) { return values[0].isNull() || !isExtendedChordCode(values[0].toString()); },
        random.next());
    if (record)
        return record->field(fields::ChordKind);
    if (!record.error().isEmpty())
        return record.failure();
    const Expected<int> count = chordKinds.count();
    if (count && *count == 0)
        return Failure{noRecordsMessage(chordKinds.table())};
    return Failure{QStringLiteral("Table \"%1\", field \"%2\": every chord kind is a 9th, 11th or 13th chord, "
                                  "so none can be asked while \"  9, 11, 13 excluded\" is ticked.")
                       .arg(chordKinds.table(), fields::ChordKind)};
}

// The chord of `kind` on `scale`, shuffled when asked.
Expected<ChordQuestion> buildChordQuestion(const DrawnRecord &scale, const QString &kind, RandomSource &random,
                                           const ChordOptions &options, const NoteSlots &previousSlots);

} // namespace

Expected<ChordQuestion> drawChordQuestion(RecordCursor &ladders, RecordCursor &chordKinds, RandomSource &random,
                                          const ChordOptions &options, const NoteSlots &previousSlots)
{
    const DrawSnapshot snapshot(ladders);
    const Expected<DrawnRecord> scale =
        ladders.countAndDrawChosen(random, fields::Key, options.keys, noChosenKeyMessage(ladders.table()));
    if (!scale)
        return scale.failure();
    const Expected<QString> kind = DrawChordKind(chordKinds, random, options.excludeExtended, options.kinds);
    if (!kind)
        return kind.failure();
    return buildChordQuestion(*scale, *kind, random, options, previousSlots);
}

Expected<ChordQuestion> drawChordQuestion(RecordCursor &ladders, RecordCursor &chordKinds, RandomSource &random,
                                          const ChordOptions &options, const NoteSlots &previousSlots,
                                          const WeakSpotPick &pick)
{
    const DrawSnapshot snapshot(ladders);
    const Expected<std::vector<RecordCursor::Group>> keys = keyGroups(ladders, options.keys);
    if (!keys)
        return keys.failure();
    const Expected<std::vector<RecordCursor::Group>> kinds = chordKinds.groups({fields::ChordKind}, options.kinds);
    if (!kinds)
        return kinds.failure();
    std::vector<CellColumn> columns;
    for (const RecordCursor::Group &kind : *kinds) {
        if (!(options.excludeExtended && isExtendedChordCode(kind.values.first())))
            columns.push_back({kind.values.first(), kind.count});
    }
    if (columns.empty())
        return Failure{QStringLiteral("No chord kind that \"chort-sort\" holds can be asked as chosen.")};
    const PickedCell cell = pickCell(*keys, columns, pick, random);
    const Expected<DrawnRecord> scale =
        ladders.drawFromGroup({fields::Key}, (*keys)[size_t(cell.row)], cell.drawn ? random.next() : 0);
    if (!scale)
        return scale.failure();
    return buildChordQuestion(*scale, columns[size_t(cell.column)].name, random, options, previousSlots);
}

namespace {

Expected<ChordQuestion> buildChordQuestion(const DrawnRecord &scale, const QString &kind, RandomSource &random,
                                           const ChordOptions &options, const NoteSlots &previousSlots)
{
    const Expected<QString> key = scale.field(fields::Key);
    if (!key)
        return key.failure();

    ChordQuestion question{*key, kind, previousSlots, true};
    if (const ChordKind *builder = findChordKind(kind)) {
        const Expected<NoteSlots> notes = buildChord(*builder, scale);
        if (!notes)
            return notes.failure();
        question.notes = *notes;
    } else {
        question.kindHasBuilder = false;
    }
    if (options.randomOrder)
        ShuffleNoteSlots(question.notes, random);
    return question;
}

} // namespace

void ShuffleNoteSlots(NoteSlots &notes, RandomSource &random)
{
    constexpr int n = int(std::tuple_size_v<NoteSlots>);
    std::array<int, n> positions{};
    for (int j = 0; j < n; ++j) {
        int p = 0;
        do {
            p = drawIndex(n, random.next());
        } while (std::find(positions.begin(), positions.begin() + j, p) != positions.begin() + j);
        positions[j] = p;
    }
    const NoteSlots saved = notes;
    for (int i = 0; i < n; ++i)
        notes[i] = saved[positions[i]];
}

QString noteListText(const NoteSlots &notes, bool listNotes)
{
    if (!listNotes)
        return QString::fromLatin1(NotesHidden);
    QStringList parts(notes.begin(), notes.end());
    return parts.join(QStringLiteral("  "));
}

std::span<const char *const> chordAnswerKeys()
{
    static constexpr std::array<const char *, 15> keys{"C", "D", "E", "F", "G", "A", "B", "C#", "Cb", "Db", "Eb", "F#", "Gb", "Ab", "Bb"};
    return keys;
}

std::span<const ChordAnswer> chordAnswers()
{
    static const std::array<ChordAnswer, 29> answers{{
        {"om_3", QT_TRANSLATE_NOOP("Velmora", "Majeur 3  +5"), 0},
        {"maj_3", QT_TRANSLATE_NOOP("Velmora", "Majeur 3"), 0},
        {"maj_7", QT_TRANSLATE_NOOP("Velmora", "Majeur 7"), 0},
        {"maj7_en5", QT_TRANSLATE_NOOP("Velmora", "Majeur 7 +5"), 0},
        {"maj_9", QT_TRANSLATE_NOOP("Velmora", "Majeur 9"), 0},
        {"maj_11", QT_TRANSLATE_NOOP("Velmora", "Majeur 11"), 0},
        {"maj_13", QT_TRANSLATE_NOOP("Velmora", "Majeur 13"), 0},
        {"maj7_en13", QT_TRANSLATE_NOOP("Velmora", "Majeur +13"), 0, false},
        {"maj13_en11", QT_TRANSLATE_NOOP("Velmora", "Majeur 13 +11"), 0},
        {"sus4_3", QT_TRANSLATE_NOOP("Velmora", "Sus4 drieklnk"), 0},
        {"min_3", QT_TRANSLATE_NOOP("Velmora", "Mineur 3"), 1},
        {"min_7", QT_TRANSLATE_NOOP("Velmora", "Mineur 7"), 1},
        {"min_maj7", QT_TRANSLATE_NOOP("Velmora", "Mineur/maj 7"), 1},
        {"min7_b5", QT_TRANSLATE_NOOP("Velmora", "Mineur 7 b5"), 1},
        {"min7_9", QT_TRANSLATE_NOOP("Velmora", "Mineur 9"), 1},
        {"min_11", QT_TRANSLATE_NOOP("Velmora", "Mineur 11"), 1},
        {"min_13", QT_TRANSLATE_NOOP("Velmora", "Mineur 13"), 1},
        {"dim_3", QT_TRANSLATE_NOOP("Velmora", "Dim 3"), 1},
        {"dim_7", QT_TRANSLATE_NOOP("Velmora", "Dim 7"), 1},
        {"dom_7", QT_TRANSLATE_NOOP("Velmora", "Dominant 7"), 2},
        {"dom7_b5", QT_TRANSLATE_NOOP("Velmora", "Dominant 7 b5"), 2},
        {"dom7_en5", QT_TRANSLATE_NOOP("Velmora", "Dominant 7 +5"), 2},
        {"dom_9", QT_TRANSLATE_NOOP("Velmora", "Dominant 9"), 2},
        {"dom7_b9", QT_TRANSLATE_NOOP("Velmora", "Dominant 7 b9"), 2},
        {"dom_11", QT_TRANSLATE_NOOP("Velmora", "Dominant 11"), 2},
        {"dom_en11", QT_TRANSLATE_NOOP("Velmora", "Dominant +11"), 2},
        {"dom13_en11", QT_TRANSLATE_NOOP("Velmora", "Dom. 13   +11"), 2},
        {"dom13_b5", QT_TRANSLATE_NOOP("Velmora", "Dom    13   b5"), 2, true, true},
        {"dom13_en5", QT_TRANSLATE_NOOP("Velmora", "Dom.   13   +5"), 2},
    }};
    return answers;
}

const ChordAnswer *chordAnswerFor(QStringView code)
{
    const auto answers = chordAnswers();
    const auto found = std::ranges::find_if(answers, [&](const ChordAnswer &a) { return code == QLatin1String(a.code); });
    return found == answers.end() ? nullptr : &*found;
}

} // namespace velmora
