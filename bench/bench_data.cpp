// The data work that grows with a teacher's file: a chord press that must skip nearly every
// record, and the data checker, each beside SQLite's own floor for reading the same rows once.
#include "dbcheck/dbcheck.h"
#include "exercises/chords/chordquestion.h"
#include "music/musicdatabase.h"
#include "music/random.h"
#include "benchmain.h"
#include "testdata.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace velmora;

namespace {

using bench::workDir;

QString repeatRows(const QString &table, int records)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                          "INSERT INTO \"%2\" SELECT t.* FROM \"%2\" t, n")
        .arg(records).arg(table);
}

// 100,000 "maj_13" and one "maj_3": with "  9, 11, 13 excluded" ticked, one record in 100,001 is acceptable.
QString skewedChordKinds()
{
    const QString path = workDir->filePath(QStringLiteral("skewed.sqlite"));
    if (!QFile::exists(path)) {
        test::writeDefaultDatabase(path);
        test::editDatabase(path, {"DELETE FROM \"chort-sort\"", "INSERT INTO \"chort-sort\" VALUES ('maj_13')",
                                  repeatRows(QStringLiteral("chort-sort"), 99999),
                                  "INSERT INTO \"chort-sort\" VALUES ('maj_3')"});
    }
    return path;
}

// Copies of the default rows: at 100, 100,005 "Ladders" rows and 10,010 "Intervallen" records.
QString copiedDefaults(int percent)
{
    const QString path = workDir->filePath(QStringLiteral("copies-%1.sqlite").arg(percent));
    if (!QFile::exists(path)) {
        test::writeDefaultDatabase(path);
        test::editDatabase(path, {repeatRows(QStringLiteral("Ladders"), 6666 * percent / 100),
                                  repeatRows(QStringLiteral("Intervallen"), 384 * percent / 100)});
    }
    return path;
}

void SkewedChordPress(benchmark::State &state)
{
    MusicDatabase db;
    db.open(skewedChordKinds());
    RecordCursor ladders(db.connectionName(), tables::Ladders);
    RecordCursor kinds(db.connectionName(), tables::ChordKinds);
    SeededRandom random(1);
    for (auto _ : state) {
        const Expected<ChordQuestion> question = drawChordQuestion(ladders, kinds, random, {true, false}, {});
        if (!question || question->kind != QLatin1String("maj_3"))
            state.SkipWithError("wrong kind drawn");
    }
}
BENCHMARK(SkewedChordPress)->Unit(benchmark::kMillisecond);

// Reading every row of the given columns once through the C API, nothing else.
void readOnce(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(statement); ++i)
            benchmark::DoNotOptimize(sqlite3_column_text(statement, i));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

void SqliteFloorChordKinds(benchmark::State &state)
{
    const QString path = skewedChordKinds();
    for (auto _ : state)
        readOnce(path, "SELECT rowid, plugin FROM \"chort-sort\" ORDER BY rowid");
}
BENCHMARK(SqliteFloorChordKinds)->Unit(benchmark::kMillisecond);

void DataCheck(benchmark::State &state)
{
    const QString path = copiedDefaults(int(state.range(0)));
    for (auto _ : state) {
        QStringList output;
        if (runDbCheck(path, &output) != 1) // the copies are reported, once per key
            state.SkipWithError("unexpected verdict");
    }
}
BENCHMARK(DataCheck)->Arg(25)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

void SqliteFloorAllRows(benchmark::State &state)
{
    const QString path = copiedDefaults(int(state.range(0)));
    for (auto _ : state) {
        readOnce(path, "SELECT * FROM \"Ladders\" ORDER BY rowid");
        readOnce(path, "SELECT * FROM \"Intervallen\" ORDER BY rowid");
        readOnce(path, "SELECT * FROM \"chort-sort\" ORDER BY rowid");
    }
}
BENCHMARK(SqliteFloorAllRows)->Arg(25)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

// What reading the same rows costs through Qt's driver alone, every value fetched once.
void QtFloorAllRows(benchmark::State &state)
{
    const QString path = copiedDefaults(int(state.range(0)));
    MusicDatabase db;
    db.open(path);
    for (auto _ : state) {
        for (const QString &table : {tables::Ladders, tables::Intervals, tables::ChordKinds}) {
            QSqlQuery query(QSqlDatabase::database(db.connectionName()));
            query.setForwardOnly(true);
            query.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table));
            const int columns = query.record().count();
            while (query.next()) {
                for (int i = 0; i < columns; ++i)
                    benchmark::DoNotOptimize(query.value(i));
            }
        }
    }
}
BENCHMARK(QtFloorAllRows)->Arg(25)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::run<QCoreApplication>(argc, argv);
}
