#include "dbcheck/dbcheck.h"

#include "exercises/chords/chordkinds.h"
#include "exercises/chords/chordquestion.h"
#include "exercises/intervals/intervals.h"
#include "music/musicdatabase.h"
#include "dbcheck/musictheory.h"
#include "music/notename.h"
#include "exercises/relations/relations.h"
#include "exercises/transpose/transpose.h"

#include <QFile>
#include <algorithm>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace velmora {

namespace {

// The fifteen major keys are exactly those a key button answers.
QStringList majorKeys()
{
    QStringList keys;
    for (const KeyOption &option : keyOptions())
        keys << QString::fromLatin1(option.key);
    return keys;
}

QString quote(const QString &text)
{
    return QLatin1Char('"') + shortened(text) + QLatin1Char('"');
}

struct Row
{
    int number; // 1-based, in rowid order
    QSqlRecord record;
    QString value(const QString &field) const { return record.value(exactFieldIndex(record, field)).toString(); }
};

QList<Row> readTable(const QSqlDatabase &db, const QString &table, QStringList *problems)
{
    QList<Row> rows;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quotedIdentifier(table)))) {
        *problems << QStringLiteral("%1: cannot be read: %2").arg(table, query.lastError().text());
        return rows;
    }
    while (query.next())
        rows.append({int(rows.size()) + 1, query.record()});
    if (rows.isEmpty())
        *problems << QStringLiteral("%1: holds no records; at least one is needed").arg(table);
    return rows;
}

QString where(const QString &table, const Row &row, const QString &label, const QString &field)
{
    return QStringLiteral("%1, record %2 (%3), field %4").arg(table).arg(row.number).arg(label, quote(field));
}

bool hasField(const QSqlRecord &record, const QString &name)
{
    for (int i = 0; i < record.count(); ++i) {
        if (record.fieldName(i) == name)
            return true;
    }
    return false;
}

bool acceptedByAny(const QString &answer, QStringList PitchClassButton::*family)
{
    for (const PitchClassButton &button : pitchClassButtons()) {
        if (acceptsAnswer(button.*family, answer))
            return true;
    }
    return false;
}

void checkScales(const QList<Row> &scales, QStringList *problems)
{
    const QStringList keys = majorKeys();
    QSet<QString> seen;
    for (const Row &row : scales) {
        const QString key = row.value(fields::Key);
        const QString label = quote(key);
        if (!keys.contains(key)) {
            *problems << where(tables::Ladders, row, label, fields::Key)
                    + QStringLiteral(": %1 is not one of the 15 major keys %2").arg(label, keys.join(QLatin1Char(' ')));
            continue;
        }
        if (seen.contains(key))
            *problems << where(tables::Ladders, row, label, fields::Key) + QStringLiteral(": the key is stored twice");
        seen.insert(key);

        for (const QString &field : degreeFields()) {
            const QString value = row.value(field);
            const std::optional<QString> expected = theory::degreeSpelling(key, field);
            if (expected && value != *expected) {
                *problems << where(tables::Ladders, row, label, field)
                        + QStringLiteral(": %1 should be %2").arg(quote(value), quote(*expected));
            }
        }

        // Every answer the other exercises can draw from this key must have a button.
        const QString sixth = row.value(QStringLiteral("6"));
        bool majorAnswer = false;
        bool minorAnswer = false;
        for (const RelationsButton &button : relationsButtons()) {
            majorAnswer |= QLatin1String(button.answer) == key + QStringLiteral(" maj");
            minorAnswer |= QLatin1String(button.answer) == sixth + QStringLiteral(" min");
        }
        if (!majorAnswer)
            *problems << where(tables::Ladders, row, label, fields::Key)
                    + QStringLiteral(": no relations button answers %1").arg(quote(key + QStringLiteral(" maj")));
        if (!minorAnswer)
            *problems << where(tables::Ladders, row, label, QStringLiteral("6"))
                    + QStringLiteral(": no relations button answers %1").arg(quote(sixth + QStringLiteral(" min")));
        for (Instrument score : {Instrument::C, Instrument::Bb, Instrument::Eb}) {
            for (Instrument player : {Instrument::C, Instrument::Bb, Instrument::Eb}) {
                const QString field = *transpositionField(score, player);
                if (!acceptedByAny(row.value(field), &PitchClassButton::transposeSpellings))
                    *problems << where(tables::Ladders, row, label, field)
                            + QStringLiteral(": no transposition button answers %1").arg(quote(row.value(field)));
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
        const bool answerable = std::ranges::any_of(chordButtons(), [&](const ChordButton &button) {
            return button.enabled && QLatin1String(button.code) == code;
        });
        if (!findChordKind(code) || !answerable) {
            *problems << where(tables::ChordKinds, row, quote(code), fields::ChordKind)
                    + QStringLiteral(": %1 is not a chord kind that can be built and answered").arg(quote(code));
        }
    }
    if (!kinds.isEmpty() && !anyBasic)
        *problems << QStringLiteral("%1: no triad or seventh chord, so nothing can be asked with \"  9, 11, 13 excluded\" ticked")
                         .arg(tables::ChordKinds);
}

void checkIntervals(const QList<Row> &intervals, const QList<Row> &scales, const QSqlRecord &scaleFields,
                    QStringList *problems)
{
    QSet<QString> names;
    for (const Row &row : intervals) {
        const QString name = row.value(fields::IntervalName);
        const QString top = row.value(fields::Top);
        const QString direction = row.value(fields::Direction);
        const QString label = quote(name + QLatin1Char(' ') + direction);
        names.insert(name);
        if (!std::ranges::any_of(intervalChoices(), [&](const IntervalChoice &c) { return QLatin1String(c.name) == name; }))
            *problems << where(tables::Intervals, row, label, fields::IntervalName)
                    + QStringLiteral(": %1 is not one of the thirteen interval names").arg(quote(name));
        if (direction != QLatin1String("up") && direction != QLatin1String("down"))
            *problems << where(tables::Intervals, row, label, fields::Direction)
                    + QStringLiteral(": %1 should be \"up\" or \"down\"").arg(quote(direction));
        if (!hasField(scaleFields, top) || top == fields::Key) {
            *problems << where(tables::Intervals, row, label, fields::Top)
                    + QStringLiteral(": %1 names no degree field of %2").arg(quote(top), tables::Ladders);
            continue;
        }
        for (const Row &scale : scales) {
            const QString key = scale.value(fields::Key);
            const QString answer = scale.value(top);
            const std::optional<QString> expected = theory::intervalCompletion(key, name, direction);
            if (expected && answer != *expected)
                *problems << where(tables::Intervals, row, label, fields::Top)
                        + QStringLiteral(": in key %1 field %2 gives %3, but the interval ends on %4")
                              .arg(quote(key), quote(top), quote(answer), quote(*expected));
            if (!acceptedByAny(answer, &PitchClassButton::intervalSpellings))
                *problems << where(tables::Intervals, row, label, fields::Top)
                        + QStringLiteral(": in key %1 the answer %2 has no interval button").arg(quote(key), quote(answer));
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
    if (const QString schema = MusicDatabase::schemaProblem(connectionName); !schema.isEmpty()) {
        for (QString line : schema.split(QLatin1Char('\n'))) {
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

int runDbCheck(const QString &fileName, QStringList *output)
{
    MusicDatabase builtIn;
    SqliteFile file;
    QString connection;
    if (fileName.isEmpty()) {
        builtIn.open(QString());
        connection = builtIn.connectionName();
    } else {
        connection = QStringLiteral("velmora-dbcheck");
        const SqliteFile::Opened opened = openMusicFile(file, connection, fileName);
        if (!opened.ok()) {
            *output << QStringLiteral("%1: cannot be used: %2").arg(fileName, opened.reason);
            return 2;
        }
    }
    const QStringList problems = checkMusicData(connection);
    *output << problems;
    return problems.isEmpty() ? 0 : 1;
}

} // namespace velmora
