#include "music/recordcursor.h"

#include "music/random.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>
#include <vector>

namespace velmora {

namespace {

QSqlDatabase database(const QString &connectionName)
{
    return QSqlDatabase::database(connectionName, false);
}

// `what` is a table name, or a table and field already quoted inside.
QString readFailure(const QString &what, const QSqlError &error)
{
    return QStringLiteral("Table \"%1\" cannot be read: %2.").arg(what, sqliteCause(error));
}

// The field compared as text, exactly, whatever its declared type or collation.
QString asText(const QString &field)
{
    return QStringLiteral("CAST(%1 AS TEXT) COLLATE BINARY").arg(quotedIdentifier(field));
}

QString vanishedMessage(const QString &table)
{
    return QStringLiteral("Table \"%1\" cannot be read: the record vanished while it was read").arg(table);
}

} // namespace

Expected<QString> DrawnRecord::field(const QString &name) const
{
    const int index = exactFieldIndex(m_record, name);
    if (index < 0) {
        return Failure{
            QStringLiteral("Table \"%1\" has no field \"%2\".").arg(m_table, shortened(name))};
    }
    const QVariant value = m_record.value(index);
    if (value.isNull()) {
        return Failure{
            QStringLiteral("Table \"%1\": field \"%2\" holds no value.").arg(m_table, shortened(name))};
    }
    return value.toString();
}

RecordCursor::RecordCursor(QString connectionName, QString table, QObject *parent)
    : QObject(parent), m_connectionName(std::move(connectionName)), m_table(std::move(table))
{
}

Expected<int> RecordCursor::count() const
{
    QSqlQuery query(database(m_connectionName));
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(quotedIdentifier(m_table))) || !query.next()) {
        return Failure{readFailure(m_table, query.lastError())};
    }
    return query.value(0).toInt();
}

Expected<DrawnRecord> RecordCursor::draw(int count, double r)
{
    if (count <= 0)
        return Failure{noRecordsMessage(m_table)};
    QSqlQuery query(database(m_connectionName));
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT * FROM %1 ORDER BY rowid LIMIT 1 OFFSET ?").arg(quotedIdentifier(m_table))))
        return Failure{readFailure(m_table, query.lastError())};
    query.addBindValue(drawIndex(count, r));
    if (!query.exec())
        return Failure{readFailure(m_table, query.lastError())};
    if (!query.next())
        return Failure{vanishedMessage(m_table)};
    return DrawnRecord(m_table, query.record());
}

Expected<DrawnRecord> RecordCursor::countAndDraw(RandomSource &random)
{
    const Expected<int> n = count();
    if (!n)
        return n.failure();
    random.reseed();
    return draw(*n, random.next());
}

Expected<DrawnRecord> RecordCursor::countAndDrawChosen(RandomSource &random, const QString &field,
                                                      const ValueChoice &choice, const QString &nothingLeft)
{
    if (choice.isAll())
        return countAndDraw(random);
    // The choice is a few values, so SQLite filters, counts and steps to the record itself: a
    // press then reads each row once, at SQLite's pace.
    const QString value = asText(field);
    const auto placeholders = [](qsizetype n) { return QStringList(n, QStringLiteral("?")).join(QLatin1Char(',')); };
    const QStringList chosen(choice.chosen().begin(), choice.chosen().end());
    QStringList bound = chosen;
    QString where = QStringLiteral("%1 IN (%2)").arg(value, placeholders(chosen.size()));
    if (choice.othersChosen()) {
        const QStringList listed(choice.listed().begin(), choice.listed().end());
        where += QStringLiteral(" OR %1 NOT IN (%2)").arg(value, placeholders(listed.size()));
        bound << listed;
    }
    QSqlDatabase db = database(m_connectionName);
    const auto run = [&](QSqlQuery &query, const QString &sql) {
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            return false;
        for (const QString &v : std::as_const(bound))
            query.addBindValue(v);
        return query.exec();
    };
    QSqlQuery count(db);
    if (!run(count, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(quotedIdentifier(m_table), where)) || !count.next())
        return Failure{readFailure(m_table, count.lastError())};
    const int n = count.value(0).toInt();
    random.reseed();
    const double r = random.next();
    if (n <= 0)
        return Failure{nothingLeft};
    bound << QString::number(drawIndex(n, r));
    QSqlQuery fetch(db);
    if (!run(fetch, QStringLiteral("SELECT * FROM %1 WHERE %2 ORDER BY rowid LIMIT 1 OFFSET CAST(? AS INTEGER)")
                        .arg(quotedIdentifier(m_table), where)))
        return Failure{readFailure(m_table, fetch.lastError())};
    if (!fetch.next())
        return Failure{vanishedMessage(m_table)};
    return DrawnRecord(m_table, fetch.record());
}

Expected<RecordCursor::Distinct> RecordCursor::distinctValues(const QString &field, const QStringList &preferred,
                                                              int limit) const
{
    QSqlQuery query(database(m_connectionName));
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT DISTINCT %1 FROM %2").arg(quotedIdentifier(field), quotedIdentifier(m_table))))
        return Failure{readFailure(m_table, query.lastError())};
    // However many values the table holds, only as many as can be shown are kept.
    const QSet<QString> wanted(preferred.begin(), preferred.end());
    QSet<QString> found;
    QStringList others;
    Distinct distinct;
    while (query.next()) {
        if (query.value(0).isNull())
            continue;
        const QString value = query.value(0).toString();
        if (wanted.contains(value))
            found.insert(value);
        else if (others.size() < limit)
            others << value;
        else
            distinct.more = true;
    }
    if (query.lastError().isValid())
        return Failure{readFailure(m_table, query.lastError())};
    for (const QString &value : preferred) {
        if (found.contains(value))
            distinct.values << value;
    }
    distinct.values << others;
    if (distinct.values.size() > limit) {
        distinct.values.resize(limit);
        distinct.more = true;
    }
    return distinct;
}

Expected<std::vector<RecordCursor::Group>> RecordCursor::groups(const QStringList &fields, const ValueChoice &choice) const
{
    QStringList selected;
    for (const QString &field : fields)
        selected << asText(field);
    QSqlQuery query(database(m_connectionName));
    query.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT %1, COUNT(*), MIN(rowid) FROM %2 WHERE %3 GROUP BY %1")
                            .arg(selected.join(QLatin1Char(',')), quotedIdentifier(m_table),
                                 fields.isEmpty() ? QStringLiteral("1") : asText(fields.first()) + QStringLiteral(" IS NOT NULL"));
    if (!query.exec(sql))
        return Failure{readFailure(m_table, query.lastError())};
    std::vector<Group> groups;
    while (query.next()) {
        Group group;
        bool present = true;
        for (int i = 0; i < fields.size(); ++i) {
            present &= !query.value(i).isNull();
            group.values << query.value(i).toString();
        }
        group.count = query.value(int(fields.size())).toInt();
        group.firstRowid = query.value(int(fields.size()) + 1).toLongLong();
        if (present && choice.allows(group.values.first()))
            groups.push_back(group);
    }
    if (query.lastError().isValid())
        return Failure{readFailure(m_table, query.lastError())};
    return groups;
}

Expected<DrawnRecord> RecordCursor::drawFromGroup(const QStringList &fields, const Group &group, double r) const
{
    QStringList conditions;
    for (const QString &field : fields)
        conditions << asText(field) + QStringLiteral(" = ?");
    const QString where = conditions.join(QStringLiteral(" AND "));
    const QStringList &values = group.values;
    // Counted in the same snapshot as the groups were.
    const int n = group.count;
    if (n <= 0)
        return Failure{vanishedMessage(m_table)};
    QSqlQuery fetch(database(m_connectionName));
    fetch.setForwardOnly(true);
    if (n == 1) {
        fetch.prepare(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quotedIdentifier(m_table)));
        fetch.addBindValue(group.firstRowid);
    } else {
        fetch.prepare(QStringLiteral("SELECT * FROM %1 WHERE %2 ORDER BY rowid LIMIT 1 OFFSET ?").arg(quotedIdentifier(m_table), where));
        for (const QString &value : values)
            fetch.addBindValue(value);
        fetch.addBindValue(drawIndex(n, r));
    }
    if (!fetch.exec())
        return Failure{readFailure(m_table, fetch.lastError())};
    if (!fetch.next())
        return Failure{vanishedMessage(m_table)};
    return DrawnRecord(m_table, fetch.record());
}

Expected<std::vector<RecordCursor::Group>> keyGroups(const RecordCursor &ladders, const ValueChoice &keys)
{
    Expected<std::vector<RecordCursor::Group>> groups = ladders.groups({fields::Key}, keys);
    if (groups && groups->empty())
        return Failure{noChosenKeyMessage(ladders.table())};
    return groups;
}

int weightedIndex(const std::vector<double> &weights, double r)
{
    double total = 0;
    for (const double w : weights)
        total += std::max(w, 0.0);
    if (total <= 0)
        return -1;
    double at = r * total;
    int last = -1;
    for (int i = 0; i < int(weights.size()); ++i) {
        if (weights[size_t(i)] <= 0)
            continue;
        last = i;
        if (at < weights[size_t(i)])
            return i;
        at -= weights[size_t(i)];
    }
    return last; // r x total rounded up to the very end
}

QString noChosenKeyMessage(const QString &table)
{
    return QStringLiteral("Table \"%1\" holds none of the keys chosen to drill: choose others in "
                          "\"Choose what to drill...\".").arg(table);
}

Expected<KeyedScale> drawKeyedScale(RecordCursor &ladders, RandomSource &random, const ValueChoice &keys)
{
    Expected<DrawnRecord> scale = ladders.countAndDrawChosen(random, fields::Key, keys, noChosenKeyMessage(ladders.table()));
    if (!scale)
        return scale.failure();
    const Expected<QString> key = scale->field(fields::Key);
    if (!key)
        return key.failure();
    return KeyedScale{std::move(*scale), *key};
}

Expected<DrawnRecord> RecordCursor::drawAmong(const QStringList &fieldNames, const RecordTest &ends, double r)
{
    QSqlDatabase db = database(m_connectionName);
    const QSqlRecord columns = db.record(m_table);
    if (std::ranges::any_of(fieldNames, [&](const QString &name) { return exactFieldIndex(columns, name) < 0; })) {
        // Every record ends the search at its missing field.
        const Expected<int> n = count();
        if (!n)
            return n.failure();
        return draw(*n, r);
    }
    QStringList selected{QStringLiteral("rowid")};
    for (const QString &name : fieldNames)
        selected << quotedIdentifier(name);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(selected.join(QLatin1Char(',')), quotedIdentifier(m_table))))
        return Failure{readFailure(m_table, query.lastError())};
    std::vector<qint64> rowids;
    QVariantList values(fieldNames.size());
    while (query.next()) {
        for (qsizetype i = 0; i < values.size(); ++i)
            values[i] = query.value(int(i) + 1);
        if (ends(values))
            rowids.push_back(query.value(0).toLongLong());
    }
    if (query.lastError().isValid())
        return Failure{readFailure(m_table, query.lastError())};
    if (rowids.empty())
        return Failure{QString()};

    QSqlQuery fetch(db);
    fetch.setForwardOnly(true);
    if (!fetch.prepare(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quotedIdentifier(m_table))))
        return Failure{readFailure(m_table, fetch.lastError())};
    fetch.addBindValue(rowids[size_t(drawIndex(int(rowids.size()), r))]);
    if (!fetch.exec())
        return Failure{readFailure(m_table, fetch.lastError())};
    if (!fetch.next())
        return Failure{vanishedMessage(m_table)};
    return DrawnRecord(m_table, fetch.record());
}

DrawSnapshot::DrawSnapshot(const RecordCursor &cursor)
    : m_budget(DrawReadBudget), m_connectionName(cursor.connectionName()),
      m_began(database(m_connectionName).transaction())
{
}

DrawSnapshot::~DrawSnapshot()
{
    if (m_began)
        database(m_connectionName).commit();
}

} // namespace velmora
