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
    using Result = Expected<IntervalQuestion>;
    static const QString NameField = QStringLiteral("Interval_uk");
    const PressSnapshot snapshot(ladders);

    const Expected<DrawnRecord> scale = ladders.countAndDraw(random, true);
    if (!scale)
        return Result::failure(scale.error());
    const Expected<QString> start = scale->field(QStringLiteral("Toonsoort"));
    if (!start)
        return Result::failure(start.error());

    const Expected<int> count = intervals.count();
    if (!count)
        return Result::failure(count.error());
    if (*count == 0)
        return Result::failure(QStringLiteral("Table \"%1\" holds no records.").arg(intervals.table()));

    const bool noneSelected = CheckIntervalChoice(QString(), ticked).NoIntervalSelected;
    const bool allSelected = std::ranges::all_of(ticked, [](bool t) { return t; });
    if (!noneSelected && !allSelected) {
        // The redraw below only ends on an acceptable record, so make sure the table has one.
        const Expected<QStringList> names = intervals.values(NameField);
        if (!names)
            return Result::failure(names.error());
        if (std::ranges::all_of(*names, [&](const QString &name) { return CheckIntervalChoice(name, ticked).IntervalRejected; })) {
            return Result::failure(QStringLiteral("Table \"%1\", field \"%2\": no interval of the ticked kinds is "
                                                  "stored, so none can be asked.")
                                       .arg(intervals.table(), NameField));
        }
    }

    for (;;) {
        const Expected<DrawnRecord> record = intervals.draw(*count, random.next());
        if (!record)
            return Result::failure(record.error());
        const Expected<QString> name = record->field(NameField);
        if (!name)
            return Result::failure(name.error());
        const Expected<QString> top = record->field(QStringLiteral("Top"));
        if (!top)
            return Result::failure(top.error());
        const Expected<QString> answer = scale->field(*top);
        if (!answer)
            return Result::failure(answer.error());
        const Expected<QString> direction = record->field(QStringLiteral("direction"));
        if (!direction)
            return Result::failure(direction.error());
        if (!CheckIntervalChoice(*name, ticked).IntervalRejected)
            return IntervalQuestion{*start, *name, *direction, *answer, noneSelected};
    }
}

} // namespace velmora
