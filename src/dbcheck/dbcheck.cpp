#include "dbcheck/dbcheck.h"

#include "exercises/chords/chordkinds.h"
#include "exercises/chords/chordquestion.h"
#include "exercises/intervals/intervals.h"
#include "music/musicdatabase.h"
#include "music/sqlitefile.h"
#include "music/files/userfiles.h"
#include "dbcheck/musictheory.h"
#include "music/notename.h"
#include "exercises/relations/relations.h"
#include "exercises/transpose/transpose.h"

#include <algorithm>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlDriver>
#include <QSqlRecord>

#include <memory>
#include <sqlite3.h>

namespace velmora {

namespace {

// The fifteen major keys are exactly those a key button answers.
QStringList majorKeys()
{
    QStringList keys;
    for (const char *key : chordAnswerKeys())
        keys << QString::fromLatin1(key);
    return keys;
}

QString quote(const QString &text)
{
    return QLatin1Char('"') + shortened(text) + QLatin1Char('"');
}

// One distinct record of a table, standing for every record identical to it: each is checked
// once, and a problem it has is reported once with the number of records that share it.
struct Row
{
    int number; // the first such record, 1-based in rowid order
    int copies; // records identical to it, itself included
    std::shared_ptr<const QStringList> columns;
    QStringList values; // NULL reads as empty text, as the exercises' fields do
    QString value(const QString &field) const
    {
        const qsizetype i = columns->indexOf(field); // exact, as every field lookup
        return i < 0 ? QString() : values.at(i);
    }
};

// Read in one pass through SQLite itself: the rows of a teacher's file may run to hundreds of
// thousands, and only distinct ones are kept as text.
QList<Row> readTable(const QSqlDatabase &db, const QString &table, QStringList *problems)
{
    QList<Row> rows;
    QVariant driverHandle = db.driver()->handle();
    sqlite3 *handle = nullptr;
    if (driverHandle.isValid() && qstrcmp(driverHandle.typeName(), "sqlite3*") == 0)
        handle = *static_cast<sqlite3 **>(driverHandle.data());
    if (!handle) {
        *problems << QStringLiteral("%1: cannot be read: no SQLite connection.").arg(table);
        return rows;
    }
    const QByteArray sql = QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quotedIdentifier(table)).toUtf8();
    sqlite3_stmt *statement = nullptr;
    auto fail = [&] {
        *problems << QStringLiteral("%1: cannot be read: %2.").arg(table, QString::fromUtf8(sqlite3_errmsg(handle)));
    };
    if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK) {
        fail();
        return rows;
    }
    const int count = sqlite3_column_count(statement);
    auto columns = std::make_shared<QStringList>();
    for (int i = 0; i < count; ++i)
        *columns << QString::fromUtf8(sqlite3_column_name(statement, i));

    QHash<QByteArray, qsizetype> distinct;
    QByteArray content;
    int number = 0;
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(statement)) == SQLITE_ROW) {
        ++number;
        content.clear();
        for (int i = 0; i < count; ++i) {
            // NULL and the empty text differ to the exercises, so they differ here.
            if (sqlite3_column_type(statement, i) == SQLITE_NULL) {
                content += "\x01\x01";
            } else {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, i));
                content.append(text, sqlite3_column_bytes(statement, i));
            }
            content += '\x1f';
        }
        if (const auto it = distinct.constFind(content); it != distinct.constEnd()) {
            ++rows[it.value()].copies;
            continue;
        }
        distinct.insert(content, rows.size());
        QStringList values;
        for (int i = 0; i < count; ++i) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, i));
            values << QString::fromUtf8(text, sqlite3_column_bytes(statement, i));
        }
        rows.append({number, 1, columns, values});
    }
    if (status != SQLITE_DONE)
        fail();
    else if (rows.isEmpty())
        *problems << QStringLiteral("%1: holds no records; at least one is needed").arg(table);
    sqlite3_finalize(statement);
    return rows;
}

QString where(const QString &table, const Row &row, const QString &label, const QString &field)
{
    return QStringLiteral("%1, record %2 (%3), field %4").arg(table).arg(row.number).arg(label, quote(field));
}

// Closes a problem line of `row`.
QString alike(const Row &row)
{
    return row.copies > 1 ? QStringLiteral(" (and in %1 more records like it)").arg(row.copies - 1) : QString();
}

bool acceptedByAny(const QString &answer, QStringList PitchClassAnswer::*family)
{
    for (const PitchClassAnswer &button : pitchClassAnswers()) {
        if (acceptsAnswer(button.*family, answer))
            return true;
    }
    return false;
}

void checkScales(const QList<Row> &scales, QStringList *problems)
{
    const QStringList keys = majorKeys();
    QHash<QString, int> stored;
    for (const Row &row : scales)
        stored[row.value(fields::Key)] += row.copies;
    QSet<QString> seen;
    for (const Row &row : scales) {
        const QString key = row.value(fields::Key);
        const QString label = quote(key);
        const QString more = alike(row);
        if (!keys.contains(key)) {
            *problems << where(tables::Ladders, row, label, fields::Key)
                    + QStringLiteral(": %1 is not one of the 15 major keys %2").arg(label, keys.join(QLatin1Char(' '))) + more;
            continue;
        }
        if (seen.contains(key))
            continue; // a key stored twice is said once, below, and checked once
        seen.insert(key);
        if (const int times = stored.value(key); times > 1) {
            *problems << where(tables::Ladders, row, label, fields::Key)
                    + (times == 2 ? QStringLiteral(": the key is stored twice")
                                  : QStringLiteral(": the key is stored %1 times").arg(times));
        }

        for (const QString &field : degreeFields()) {
            const QString value = row.value(field);
            const std::optional<QString> expected = theory::degreeSpelling(key, field);
            if (expected && value != *expected) {
                *problems << where(tables::Ladders, row, label, field)
                        + QStringLiteral(": %1 should be %2").arg(quote(value), quote(*expected)) + more;
            }
        }

        // Every answer the other exercises can draw from this key must have a button.
        const QString sixth = row.value(QStringLiteral("6"));
        bool majorAnswer = false;
        bool minorAnswer = false;
        for (const RelationsAnswer &button : relationsAnswers()) {
            majorAnswer |= QLatin1String(button.answer) == key + QStringLiteral(" maj");
            minorAnswer |= QLatin1String(button.answer) == sixth + QStringLiteral(" min");
        }
        if (!majorAnswer)
            *problems << where(tables::Ladders, row, label, fields::Key)
                    + QStringLiteral(": no relations button answers %1").arg(quote(key + QStringLiteral(" maj"))) + more;
        if (!minorAnswer)
            *problems << where(tables::Ladders, row, label, QStringLiteral("6"))
                    + QStringLiteral(": no relations button answers %1").arg(quote(sixth + QStringLiteral(" min"))) + more;
        for (Instrument score : {Instrument::C, Instrument::Bb, Instrument::Eb}) {
            for (Instrument player : {Instrument::C, Instrument::Bb, Instrument::Eb}) {
                const QString field = *transpositionField(score, player);
                if (!acceptedByAny(row.value(field), &PitchClassAnswer::transposeSpellings))
                    *problems << where(tables::Ladders, row, label, field)
                            + QStringLiteral(": no transposition button answers %1").arg(quote(row.value(field))) + more;
            }
        }
    }
    for (const QString &key : keys) {
        if (!seen.contains(key))
            *problems << QStringLiteral("%1: the key %2 is missing").arg(tables::Ladders, quote(key));
    }
}

void checkChordKinds(const QList<Row> &kinds, QStringList *problems)
{
    bool anyBasic = false;
    for (const Row &row : kinds) {
        const QString code = row.value(fields::ChordKind);
        anyBasic |= !isExtendedChordCode(code);
        const ChordAnswer *answer = chordAnswerFor(code);
        const bool answerable = answer && answer->enabled;
        if (!findChordKind(code) || !answerable) {
            *problems << where(tables::ChordKinds, row, quote(code), fields::ChordKind)
                    + QStringLiteral(": %1 is not a chord kind that can be built and answered").arg(quote(code)) + alike(row);
        }
    }
    if (!kinds.isEmpty() && !anyBasic)
        *problems << QStringLiteral("%1: no triad or seventh chord, so nothing can be asked with \"  9, 11, 13 excluded\" ticked")
                         .arg(tables::ChordKinds);
}

void checkIntervals(const QList<Row> &intervals, const QList<Row> &scales, const QSqlRecord &scaleFields,
                    QStringList *problems)
{
    // The pairs to check are an interval record with a key: each distinct (name, direction, Top)
    // once, against each distinct (key, answer) the Top field gives, so that copies cost nothing.
    QHash<QString, QList<std::pair<QString, QString>>> answersByTop;
    auto answersOf = [&](const QString &top) -> const QList<std::pair<QString, QString>> & {
        auto it = answersByTop.find(top);
        if (it == answersByTop.end()) {
            QList<std::pair<QString, QString>> answers;
            QSet<QString> seen;
            for (const Row &scale : scales) {
                const QString key = scale.value(fields::Key);
                const QString answer = scale.value(top);
                if (!seen.contains(key + QChar(0x1f) + answer)) {
                    seen.insert(key + QChar(0x1f) + answer);
                    answers.append({key, answer});
                }
            }
            it = answersByTop.insert(top, answers);
        }
        return *it;
    };
    QSet<QString> names;
    QSet<QString> checked;
    for (const Row &row : intervals) {
        const QString name = row.value(fields::IntervalName);
        const QString top = row.value(fields::Top);
        const QString direction = row.value(fields::Direction);
        const QString label = quote(name + QLatin1Char(' ') + direction);
        const QString more = alike(row);
        names.insert(name);
        const QString triple = name + QChar(0x1f) + direction + QChar(0x1f) + top;
        if (checked.contains(triple))
            continue;
        checked.insert(triple);
        if (!std::ranges::any_of(intervalChoices(), [&](const IntervalChoice &c) { return QLatin1String(c.name) == name; }))
            *problems << where(tables::Intervals, row, label, fields::IntervalName)
                    + QStringLiteral(": %1 is not one of the thirteen interval names").arg(quote(name)) + more;
        if (direction != QLatin1String("up") && direction != QLatin1String("down"))
            *problems << where(tables::Intervals, row, label, fields::Direction)
                    + QStringLiteral(": %1 should be \"up\" or \"down\"").arg(quote(direction)) + more;
        if (exactFieldIndex(scaleFields, top) < 0 || top == fields::Key) {
            *problems << where(tables::Intervals, row, label, fields::Top)
                    + QStringLiteral(": %1 names no degree field of %2").arg(quote(top), tables::Ladders) + more;
            continue;
        }
        for (const auto &[key, answer] : answersOf(top)) {
            const std::optional<QString> expected = theory::intervalCompletion(key, name, direction);
            if (expected && answer != *expected)
                *problems << where(tables::Intervals, row, label, fields::Top)
                        + QStringLiteral(": in key %1 field %2 gives %3, but the interval ends on %4")
                              .arg(quote(key), quote(top), quote(answer), quote(*expected)) + more;
            if (!acceptedByAny(answer, &PitchClassAnswer::intervalSpellings))
                *problems << where(tables::Intervals, row, label, fields::Top)
                        + QStringLiteral(": in key %1 the answer %2 has no interval button").arg(quote(key), quote(answer)) + more;
        }
    }
    for (const IntervalChoice &choice : intervalChoices()) {
        if (!names.contains(QLatin1String(choice.name)))
            *problems << QStringLiteral("%1: no record for %2").arg(tables::Intervals, quote(QLatin1String(choice.name)));
    }
}

} // namespace

QStringList checkMusicData(const QString &connectionName)
{
    QStringList problems;
    const QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    Expected<void> usable = MusicDatabase::checkSchema(connectionName);
    if (usable)
        usable = MusicDatabase::checkText(connectionName);
    if (!usable) {
        for (QString line : usable.error().split(QLatin1Char('\n'))) {
            line[0] = line[0].toUpper();
            problems << line;
        }
        return problems;
    }
    const QList<Row> scales = readTable(db, tables::Ladders, &problems);
    checkScales(scales, &problems);
    checkChordKinds(readTable(db, tables::ChordKinds, &problems), &problems);
    checkIntervals(readTable(db, tables::Intervals, &problems), scales, db.record(tables::Ladders), &problems);
    return problems;
}

int runDbCheck(const QString &fileName, QStringList *output, const AccessReading &accessReading)
{
    MusicDatabase builtIn;
    MusicFile file(accessReading);
    QString connection;
    if (fileName.isEmpty()) {
        builtIn.open(QString());
        connection = builtIn.connectionName();
    } else {
        connection = QStringLiteral("velmora-dbcheck");
        const Expected<void> opened = file.open(connection, fileName);
        if (!opened.ok()) {
            *output << QStringLiteral("%1: cannot be used: %2").arg(shownPath(fileName), opened.error());
            return 2;
        }
    }
    const QStringList problems = checkMusicData(connection);
    *output << problems;
    return problems.isEmpty() ? 0 : 1;
}

} // namespace velmora
