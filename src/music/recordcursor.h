#pragma once

// Reading the music tables a record at a time, as the exercises draw their questions.
#include "music/expected.h"
#include "music/schema.h"
#include "music/sqlitefile.h"
#include "music/valuechoice.h"

#include <QObject>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <chrono>
#include <functional>
#include <vector>

namespace velmora {

class RandomSource;

// What one draw may spend reading the music data (DrawSnapshot); a statement still running then
// fails the draw.
inline constexpr std::chrono::milliseconds DrawReadBudget{500};

// One record fetched from a table. Fields are looked up by name in what was fetched, so a field
// name that comes from the data never reaches SQL text.
class DrawnRecord
{
public:
    DrawnRecord() = default;
    DrawnRecord(QString table, QSqlRecord record) : m_table(std::move(table)), m_record(std::move(record)) {}

    Expected<QString> field(const QString &name) const;
    const QString &table() const { return m_table; }

private:
    QString m_table;
    QSqlRecord m_record;
};

// A cursor on one table. Every call runs its own query and finishes it before returning, so no
// snapshot or lock outlives a press, and every press sees the table as it is now.
class RecordCursor : public QObject
{
    Q_OBJECT
public:
    RecordCursor(QString connectionName, QString table, QObject *parent = nullptr);

    const QString &table() const { return m_table; }
    const QString &connectionName() const { return m_connectionName; }

    Expected<int> count() const;
    // Moves to record k = Int(count x r + 1) - 1 of the table's rowid order.
    Expected<DrawnRecord> draw(int count, double r);
    // Counts, re-seeds the generator and draws: a go button's first step.
    Expected<DrawnRecord> countAndDraw(RandomSource &random);

    // Decides from a record's `fieldNames` values (in that order) whether a search may end on it.
    using RecordTest = std::function<bool(const QVariantList &values)>;
    // One pass over the table for what a redraw-until-`ends` loop would give: a record drawn
    // uniformly among those it would end on (fresh uniform draws, repeated until one ends the
    // loop, end on each such record equally often). Fails with an empty reason when no record
    // would end it; a missing field ends it at once, as the loop would at its first record.
    Expected<DrawnRecord> drawAmong(const QStringList &fieldNames, const RecordTest &ends, double r);

    // Counts, re-seeds and draws among the records whose `field` `choice` allows: with every value
    // chosen, exactly countAndDraw(). Fails with `nothingLeft` when no record is allowed; a record
    // whose field holds no value is never chosen.
    Expected<DrawnRecord> countAndDrawChosen(RandomSource &random, const QString &field, const ValueChoice &choice,
                                             const QString &nothingLeft);

    // The distinct values of `field`, those in `preferred` first and in its order, the others after
    // them as the table gives them, at most `limit` in all; `more` tells that some were left out.
    struct Distinct
    {
        QStringList values;
        bool more = false;
    };
    Expected<Distinct> distinctValues(const QString &field, const QStringList &preferred, int limit) const;

    // The records grouped by their `fields` (compared as text), counted, among those whose first
    // field `choice` allows: what a weighted draw chooses among, the weights being per value.
    struct Group
    {
        QStringList values;
        int count = 0;
        qint64 firstRowid = 0; // the group's first record: a group of one is fetched by it
    };
    Expected<std::vector<Group>> groups(const QStringList &fields, const ValueChoice &choice) const;
    // Record k = Int(n x r + 1) - 1, in rowid order, of the group's n records.
    Expected<DrawnRecord> drawFromGroup(const QStringList &fields, const Group &group, double r) const;

private:
    QString m_connectionName;
    QString m_table;
};

// The "Ladders" records grouped by key among those `keys` allows; fails when none is left.
Expected<std::vector<RecordCursor::Group>> keyGroups(const RecordCursor &ladders, const ValueChoice &keys);

// The index i drawn with chance weights[i] / their sum from one uniform r; -1 when no weight is above 0.
int weightedIndex(const std::vector<double> &weights, double r);

// A "Ladders" record drawn for a press, and its key: the first reading of the relations,
// transposition and interval questions. (A chord question reads its key only after it has drawn
// its chord kind, so a broken kind table is the fault its press names first.)
struct KeyedScale
{
    DrawnRecord record;
    QString key;
};
Expected<KeyedScale> drawKeyedScale(RecordCursor &ladders, RandomSource &random, const ValueChoice &keys = {});
// The failure of a press whose chosen keys the table no longer holds.
QString noChosenKeyMessage(const QString &table);

// One consistent view of the tables for the length of a draw, what it counts being what it draws
// from, and a budget in time for its reading (a view in a changed file may never end).
class DrawSnapshot
{
public:
    explicit DrawSnapshot(const RecordCursor &cursor);
    ~DrawSnapshot();
    DrawSnapshot(const DrawSnapshot &) = delete;
    DrawSnapshot &operator=(const DrawSnapshot &) = delete;

private:
    SqliteFile::ReadBudget m_budget; // the draw's reading ends within it, or fails
    QString m_connectionName;
    bool m_began;
};

} // namespace velmora
