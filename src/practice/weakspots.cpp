#include "practice/weakspots.h"

#include "music/random.h"

#include <algorithm>

namespace velmora {

int WeakSpots::box(const QString &tab, const QuestionCell &question) const
{
    const auto spots = m_spots.constFind(tab);
    if (spots == m_spots.cend())
        return NeverAskedBox;
    const auto spot = spots->constFind(question);
    return spot == spots->cend() ? NeverAskedBox : spot->box;
}

SpotState WeakSpots::firstTry(const QString &tab, const QuestionCell &question, bool right)
{
    QHash<QuestionCell, SpotState> &spots = m_spots[tab];
    auto spot = spots.find(question);
    if (spot == spots.end())
        spot = spots.insert(question, SpotState{tab, question, NeverAskedBox, -1, 0});
    const int now = askedOn(tab);
    if (!right) {
        spot->box = 1;
        spot->spacing = FirstSpacing;
        spot->due = now + FirstSpacing;
    } else {
        spot->box = std::min(spot->box + 1, 5);
        if (spot->spacing >= LastSpacing || spot->spacing == 0) {
            spot->spacing = 0;
            spot->due = -1;
        } else {
            spot->spacing *= 2;
            spot->due = now + spot->spacing;
        }
    }
    return *spot;
}

std::optional<QuestionCell> WeakSpots::due(const QString &tab, const std::function<bool(const QuestionCell &)> &allowed) const
{
    const auto spots = m_spots.constFind(tab);
    if (spots == m_spots.cend())
        return std::nullopt;
    const int now = askedOn(tab);
    const SpotState *longest = nullptr;
    for (const SpotState &spot : *spots) {
        if (spot.due >= 0 && spot.due <= now && (!longest || spot.due < longest->due) && allowed(spot.question))
            longest = &spot;
    }
    return longest ? std::optional(longest->question) : std::nullopt;
}

PickedCell pickCell(const std::vector<RecordCursor::Group> &rows, const std::vector<CellColumn> &columns,
                    const WeakSpotPick &pick, RandomSource &random)
{
    if (pick.due) {
        for (int i = 0; i < int(rows.size()); ++i) {
            for (int j = 0; j < int(columns.size()); ++j) {
                if (rows[size_t(i)].values.first() == pick.due->row && columns[size_t(j)].name == pick.due->column)
                    return {i, j, false};
            }
        }
    }
    std::vector<double> weights;
    weights.reserve(rows.size() * columns.size());
    for (const RecordCursor::Group &row : rows) {
        for (const CellColumn &column : columns)
            weights.push_back(double(row.count) * column.count * pick.weight({row.values.first(), column.name}));
    }
    if (weights.empty())
        return {};
    // Weights of nothing at all would leave nothing to ask: every question then counts alike.
    if (std::ranges::none_of(weights, [](double w) { return w > 0; }))
        std::ranges::fill(weights, 1.0);
    random.reseed();
    const int at = weightedIndex(weights, random.next());
    return {at / int(columns.size()), at % int(columns.size()), true};
}

void WeakSpots::load(const std::vector<SpotState> &spots, const QHash<QString, int> &asked)
{
    m_spots.clear();
    for (const SpotState &spot : spots)
        m_spots[spot.tab].insert(spot.question, spot);
    m_asked = asked;
}

} // namespace velmora
