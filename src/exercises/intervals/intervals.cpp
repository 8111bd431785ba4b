#include "exercises/intervals/intervals.h"

#include <QCoreApplication>

#include "music/phrase.h"

#include "music/musicdatabase.h"
#include "music/random.h"

#include <algorithm>

namespace velmora {

const std::array<IntervalChoice, IntervalChoiceCount> &intervalChoices()
{
    static const std::array<IntervalChoice, IntervalChoiceCount> choices{{
        {"Prime", QT_TRANSLATE_NOOP("Velmora", "Prime")},
        {"Minor Second", QT_TRANSLATE_NOOP("Velmora", "Minor Second")},
        {"Major Second", QT_TRANSLATE_NOOP("Velmora", "Major Second")},
        {"Minor Third", QT_TRANSLATE_NOOP("Velmora", "Minor Third")},
        {"Major Third", QT_TRANSLATE_NOOP("Velmora", "Major Third")},
        {"Perfect Fourth", QT_TRANSLATE_NOOP("Velmora", "Perfect Fourth")},
        {"Augmented Fourth", QT_TRANSLATE_NOOP("Velmora", "Augmented Fourth")},
        {"Perfect Fifth", QT_TRANSLATE_NOOP("Velmora", "Fifth")},
        {"Minor Sixth", QT_TRANSLATE_NOOP("Velmora", "Minor Sixth")},
        {"Major Sixth", QT_TRANSLATE_NOOP("Velmora", "Major Sixth")},
        {"Minor Seventh", QT_TRANSLATE_NOOP("Velmora", "Minor Seventh")},
        {"Major Seventh", QT_TRANSLATE_NOOP("Velmora", "Major Seventh")},
        {"Octave", QT_TRANSLATE_NOOP("Velmora", "Octave")},
    }};
    return choices;
}

IntervalCheck CheckIntervalChoice(QStringView interval, const IntervalSelection &ticked)
{
    IntervalCheck check;
    const auto &choices = intervalChoices();
    for (int i = 0; i < IntervalChoiceCount; ++i) {
        if (!ticked[i] && interval == QLatin1String(choices[i].name))
            check.IntervalRejected = true;
    }
    if (std::ranges::none_of(ticked, [](bool t) { return t; }))
        check = {false, true};
    return check;
}

Expected<IntervalQuestion> drawIntervalQuestion(RecordCursor &ladders, RecordCursor &intervals,
                                                RandomSource &random, const IntervalSelection &ticked,
                                                const ValueChoice &startNotes)
{
    const DrawSnapshot snapshot(ladders);

    const Expected<KeyedScale> scale = drawKeyedScale(ladders, random, startNotes);
    if (!scale)
        return scale.failure();

    const Expected<int> count = intervals.count();
    if (!count)
        return count.failure();
    if (*count == 0)
        return Failure{noRecordsMessage(intervals.table())};

    const bool noneSelected = CheckIntervalChoice(QString(), ticked).NoIntervalSelected;
    const bool allSelected = std::ranges::all_of(ticked, [](bool t) { return t; });
    Expected<DrawnRecord> record = Failure{};
    if (noneSelected || allSelected) {
        record = intervals.draw(*count, random.next());
    } else {
        // Redrawing until a record's interval is ticked, or one of its fields cannot be used (which
        // ends the press), ends on each such record equally often: draw among them in one pass.
        bool looked = false;
        bool anyTicked = false;
        record = intervals.drawAmong(
            {fields::IntervalName, fields::Top, fields::Direction},
            [&](const QVariantList &values) {
                looked = true;
                const bool ticks = !CheckIntervalChoice(values[0].toString(), ticked).IntervalRejected;
                anyTicked |= ticks;
                return ticks || values[0].isNull() || values[1].isNull() || values[2].isNull()
                    || !scale->record.field(values[1].toString());
            },
            random.next());
        if (looked && !anyTicked) {
            return Failure{QStringLiteral("Table \"%1\", field \"%2\": no interval of the ticked kinds is "
                                          "stored, so none can be asked.")
                               .arg(intervals.table(), fields::IntervalName)};
        }
    }
    if (!record)
        return record.failure();
    const Expected<QString> name = record->field(fields::IntervalName);
    if (!name)
        return name.failure();
    const Expected<QString> top = record->field(fields::Top);
    if (!top)
        return top.failure();
    const Expected<QString> answer = scale->record.field(*top);
    if (!answer)
        return answer.failure();
    const Expected<QString> direction = record->field(fields::Direction);
    if (!direction)
        return direction.failure();
    return IntervalQuestion{scale->key, *name, *direction, *answer, noneSelected};
}

QString intervalColumn(const QString &interval, const QString &direction)
{
    return interval + QLatin1Char(' ') + direction;
}

Expected<IntervalQuestion> drawIntervalQuestion(RecordCursor &ladders, RecordCursor &intervals, RandomSource &random,
                                                const IntervalSelection &ticked, const ValueChoice &startNotes,
                                                const WeakSpotPick &pick)
{
    if (CheckIntervalChoice(QString(), ticked).NoIntervalSelected)
        return drawIntervalQuestion(ladders, intervals, random, ticked, startNotes);
    const DrawSnapshot snapshot(ladders);
    const Expected<std::vector<RecordCursor::Group>> rows = keyGroups(ladders, startNotes);
    if (!rows)
        return rows.failure();
    // A name outside the thirteen is never rejected, as the boxes' own check has it.
    QSet<QString> tickedNames, names;
    for (int i = 0; i < IntervalChoiceCount; ++i) {
        names.insert(QLatin1String(intervalChoices()[size_t(i)].name));
        if (ticked[size_t(i)])
            tickedNames.insert(QLatin1String(intervalChoices()[size_t(i)].name));
    }
    const QStringList nameAndDirection{fields::IntervalName, fields::Direction};
    const Expected<std::vector<RecordCursor::Group>> kinds =
        intervals.groups(nameAndDirection, ValueChoice::only(tickedNames, names, true));
    if (!kinds)
        return kinds.failure();
    std::vector<CellColumn> columns;
    for (const RecordCursor::Group &kind : *kinds)
        columns.push_back({intervalColumn(kind.values[0], kind.values[1]), kind.count});
    if (columns.empty()) {
        return Failure{QStringLiteral("Table \"%1\", field \"%2\": no interval of the ticked kinds is stored, so none "
                                      "can be asked.").arg(intervals.table(), fields::IntervalName)};
    }
    const PickedCell cell = pickCell(*rows, columns, pick, random);
    const Expected<DrawnRecord> scale =
        ladders.drawFromGroup({fields::Key}, (*rows)[size_t(cell.row)], cell.drawn ? random.next() : 0);
    if (!scale)
        return scale.failure();
    const Expected<DrawnRecord> record =
        intervals.drawFromGroup(nameAndDirection, (*kinds)[size_t(cell.column)], cell.drawn ? random.next() : 0);
    if (!record)
        return record.failure();
    const Expected<QString> top = record->field(fields::Top);
    if (!top)
        return top.failure();
    const Expected<QString> answer = scale->field(*top);
    if (!answer)
        return answer.failure();
    const QStringList &kind = (*kinds)[size_t(cell.column)].values;
    return IntervalQuestion{(*rows)[size_t(cell.row)].values.first(), kind[0], kind[1], *answer, false};
}

std::optional<std::pair<int, int>> intervalKeys(QStringView startNote, QStringView interval, QStringView direction)
{
    // The thirteen choices stand in order of size, a semitone apart.
    const auto &choices = intervalChoices();
    const auto size = std::ranges::find_if(choices, [&](const IntervalChoice &c) { return interval == QLatin1String(c.name); });
    const std::optional<int> start = pitchOf(startNote, 4);
    if (!start || size == choices.end())
        return std::nullopt;
    const int semitones = int(size - choices.begin());
    return std::pair{*start, *start + (direction == u"down" ? -semitones : semitones)};
}

} // namespace velmora
