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

std::span<const KeyOption> keyOptions()
{
    static const std::array<KeyOption, 15> options{{
        {"Option_C", "C", 360, 240},
        {"Option_D", "D", 840, 240},
        {"Option_E", "E", 1320, 240},
        {"Option_F", "F", 1800, 240},
        {"Option_G", "G", 2280, 240},
        {"Option_A", "A", 2760, 240},
        {"Option_B", "B", 3240, 240},
        {"Option_Cis", "C#", 600, 720},
        {"Option_Cb", "Cb", 120, 720},
        {"Option_Db", "Db", 1080, 720},
        {"Option_Eb", "Eb", 1560, 720},
        {"Option_Fis", "F#", 2040, 720},
        {"Option_Gb", "Gb", 2520, 720},
        {"Option_Ab", "Ab", 3000, 720},
        {"Option_Bb", "Bb", 3480, 720},
    }};
    return options;
}

std::span<const ChordButton> chordButtons()
{
    constexpr quint32 major = 0x8080FF;
    constexpr quint32 minor = 0xFFFFC0;
    constexpr quint32 dominant = 0xC0FFC0;
    constexpr quint32 diminished = 0xFF0000;
    constexpr quint32 suspended = 0xFF8000;
    static const std::array<ChordButton, 29> buttons{{
        {"Command27", QT_TRANSLATE_NOOP("Velmora", "Majeur 3  +5"), "om_3", major, 0, 0},
        {"Command2", QT_TRANSLATE_NOOP("Velmora", "Majeur 3"), "maj_3", major, 0, 1},
        {"Command3", QT_TRANSLATE_NOOP("Velmora", "Majeur 7"), "maj_7", major, 0, 2},
        {"Command4", QT_TRANSLATE_NOOP("Velmora", "Majeur 7 +5"), "maj7_en5", major, 0, 3},
        {"Command5", QT_TRANSLATE_NOOP("Velmora", "Majeur 9"), "maj_9", major, 0, 4},
        {"Command6", QT_TRANSLATE_NOOP("Velmora", "Majeur 11"), "maj_11", major, 0, 5},
        {"Command17", QT_TRANSLATE_NOOP("Velmora", "Majeur 13"), "maj_13", major, 0, 6},
        {"Command23", QT_TRANSLATE_NOOP("Velmora", "Majeur +13"), "maj7_en13", major, 0, 7, false},
        {"Command20", QT_TRANSLATE_NOOP("Velmora", "Majeur 13 +11"), "maj13_en11", major, 0, 8},
        {"Command26", QT_TRANSLATE_NOOP("Velmora", "Sus4 drieklnk"), "sus4_3", suspended, 0, 9},
        {"Command7", QT_TRANSLATE_NOOP("Velmora", "Mineur 3"), "min_3", minor, 1, 0},
        {"Command8", QT_TRANSLATE_NOOP("Velmora", "Mineur 7"), "min_7", minor, 1, 1},
        {"Command9", QT_TRANSLATE_NOOP("Velmora", "Mineur/maj 7"), "min_maj7", minor, 1, 2},
        {"Command10", QT_TRANSLATE_NOOP("Velmora", "Mineur 7 b5"), "min7_b5", minor, 1, 3},
        {"Command11", QT_TRANSLATE_NOOP("Velmora", "Mineur 9"), "min7_9", minor, 1, 4},
        {"Command19", QT_TRANSLATE_NOOP("Velmora", "Mineur 11"), "min_11", minor, 1, 5},
        {"Command22", QT_TRANSLATE_NOOP("Velmora", "Mineur 13"), "min_13", minor, 1, 6},
        {"Command29", QT_TRANSLATE_NOOP("Velmora", "Dim 3"), "dim_3", diminished, 1, 8},
        {"Command31", QT_TRANSLATE_NOOP("Velmora", "Dim 7"), "dim_7", diminished, 1, 9},
        {"Command12", QT_TRANSLATE_NOOP("Velmora", "Dominant 7"), "dom_7", dominant, 2, 0},
        {"Command13", QT_TRANSLATE_NOOP("Velmora", "Dominant 7 b5"), "dom7_b5", dominant, 2, 1},
        {"Command14", QT_TRANSLATE_NOOP("Velmora", "Dominant 7 +5"), "dom7_en5", dominant, 2, 2},
        {"Command15", QT_TRANSLATE_NOOP("Velmora", "Dominant 9"), "dom_9", dominant, 2, 3},
        {"Command16", QT_TRANSLATE_NOOP("Velmora", "Dominant 7 b9"), "dom7_b9", dominant, 2, 4},
        {"Command18", QT_TRANSLATE_NOOP("Velmora", "Dominant 11"), "dom_11", dominant, 2, 5},
        {"Command21", QT_TRANSLATE_NOOP("Velmora", "Dominant +11"), "dom_en11", dominant, 2, 6},
        {"Command24", QT_TRANSLATE_NOOP("Velmora", "Dom. 13   +11"), "dom13_en11", dominant, 2, 7},
        {"Command28", QT_TRANSLATE_NOOP("Velmora", "Dom    13   b5"), "dom13_b5", dominant, 2, 8, true, true},
        {"Command30", QT_TRANSLATE_NOOP("Velmora", "Dom.   13   +5"), "dom13_en5", dominant, 2, 9},
    }};
    return buttons;
}

} // namespace velmora
