#pragma once

#include "music/recordcursor.h"
#include "practice/progressstore.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace velmora {

// Where the player is weak, question by question, and what that makes the next go press ask. Each
// question sits in a box from 1 to 5, drawn with weight 16, 8, 4, 2 or 1; a question never asked
// sits in box 2. Only its first judged answer moves it: right, up a box; wrong or revealed, to box
// 1. A question missed at its first try is asked again 2, then 4, then 8 questions of its tab
// later; a miss starts that again at 2, and a first-try right at 8 ends it.
class WeakSpots
{
public:
    static constexpr int NeverAskedBox = 2;
    static constexpr int FirstSpacing = 2;
    static constexpr int LastSpacing = 8;

    int box(const QString &tab, const QuestionCell &question) const;
    double weight(const QString &tab, const QuestionCell &question) const { return double(16 >> (box(tab, question) - 1)); }

    // A question shown on `tab`: the count its schedules are reckoned in goes on.
    void asked(const QString &tab) { ++m_asked[tab]; }
    int askedOn(const QString &tab) const { return m_asked.value(tab); }
    // The question's first judged answer, a reveal counting as wrong; returns its new place.
    SpotState firstTry(const QString &tab, const QuestionCell &question, bool right);

    // The missed question of `tab` that is due, the one due longest first, among those `allowed`
    // lets through (one the choice no longer allows waits).
    std::optional<QuestionCell> due(const QString &tab, const std::function<bool(const QuestionCell &)> &allowed) const;

    void load(const std::vector<SpotState> &spots, const QHash<QString, int> &asked);

private:
    QHash<QString, QHash<QuestionCell, SpotState>> m_spots; // by tab
    QHash<QString, int> m_asked;
};

// How a go press asks its question while "Practise my weak spots" is ticked: the question due, if
// any (asked without a random value), else a draw weighted by where each question stands.
struct WeakSpotPick
{
    std::optional<QuestionCell> due;
    std::function<double(const QuestionCell &)> weight;
};

// A question's cell as groups of records give it: the "Ladders" records of a key (the rows) and a
// column's records or choices, each with how many records stand behind it.
struct CellColumn
{
    QString name;
    int count = 1;
};
struct PickedCell
{
    int row = -1;
    int column = -1;
    bool drawn = false; // by a random value, not the question due
};
// The due question's cell where the groups hold it, else one drawn in one pass with chance
// rows[i].count x columns[j].count x weight(cell): every record as likely as its question's weight.
// Re-seeds `random` before a draw; row -1 only when there are no rows or no columns.
PickedCell pickCell(const std::vector<RecordCursor::Group> &rows, const std::vector<CellColumn> &columns,
                    const WeakSpotPick &pick, RandomSource &random);

} // namespace velmora
