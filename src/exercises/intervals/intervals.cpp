#include "exercises/intervals/intervals.h"

#include "music/musicdatabase.h"
#include "music/random.h"

#include <algorithm>

namespace velmora {

const std::array<IntervalChoice, IntervalChoiceCount> &intervalChoices()
{
    static const std::array<IntervalChoice, IntervalChoiceCount> choices{{
        {"Prime", "Chk_1", "Prime"},
        {"Minor Second", "Chk_b2", "Minor Second"},
        {"Major Second", "Chk_2", "Major Second"},
        {"Minor Third", "Chk_b3", "Minor Third"},
        {"Major Third", "Chk_3", "Major Third"},
        {"Perfect Fourth", "Chk_4", "Perfect Fourth"},
        {"Augmented Fourth", "Chk_en4", "Augmented Fourth"},
        {"Perfect Fifth", "Chk_5", "Fifth"},
        {"Minor Sixth", "Chk_b6", "Minor Sixth"},
        {"Major Sixth", "Chk_6", "Major Sixth"},
        {"Minor Seventh", "Chk_b7", "Minor Seventh"},
        {"Major Seventh", "Chk_7", "Major Seventh"},
        {"Octave", "Chk_8", "Octave"},
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
                                                RandomSource &random, const IntervalSelection &ticked)
{
    const PressSnapshot snapshot(ladders);

    const Expected<DrawnRecord> scale = ladders.countAndDraw(random);
    if (!scale)
        return Failure{scale.error()};
    const Expected<QString> start = scale->field(fields::Key);
    if (!start)
        return Failure{start.error()};

    const Expected<int> count = intervals.count();
    if (!count)
        return Failure{count.error()};
    if (*count == 0)
        return Failure{noRecordsMessage(intervals.table())};

    const bool noneSelected = CheckIntervalChoice(QString(), ticked).NoIntervalSelected;
    const bool allSelected = std::ranges::all_of(ticked, [](bool t) { return t; });
    if (!noneSelected && !allSelected) {
        // The redraw below only ends on an acceptable record, so make sure the table has one.
        const Expected<QStringList> names = intervals.values(fields::IntervalName);
        if (!names)
            return Failure{names.error()};
        if (std::ranges::all_of(*names, [&](const QString &name) { return CheckIntervalChoice(name, ticked).IntervalRejected; })) {
            return Failure{QStringLiteral("Table \"%1\", field \"%2\": no interval of the ticked kinds is "
                                                  "stored, so none can be asked.")
                                       .arg(intervals.table(), fields::IntervalName)};
        }
    }

    for (;;) {
        const Expected<DrawnRecord> record = intervals.draw(*count, random.next());
        if (!record)
            return Failure{record.error()};
        const Expected<QString> name = record->field(fields::IntervalName);
        if (!name)
            return Failure{name.error()};
        const Expected<QString> top = record->field(fields::Top);
        if (!top)
            return Failure{top.error()};
        const Expected<QString> answer = scale->field(*top);
        if (!answer)
            return Failure{answer.error()};
        const Expected<QString> direction = record->field(fields::Direction);
        if (!direction)
            return Failure{direction.error()};
        if (!CheckIntervalChoice(*name, ticked).IntervalRejected)
            return IntervalQuestion{*start, *name, *direction, *answer, noneSelected};
    }
}

} // namespace velmora
