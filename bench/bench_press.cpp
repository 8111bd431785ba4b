#include "exercises/chords/chordquestion.h"
#include "app/mainwindow.h"
#include "music/musicdatabase.h"
#include "ui/clock.h"
#include "ui/prompter.h"
#include "music/random.h"
#include "ui/soundplayer.h"
#include "benchmain.h"
#include "testdata.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace velmora;

namespace {

using bench::workDir;

// A "Ladders" table of `records` rows, the fifteen keys over and over.
QString bigDatabase(int records)
{
    const QString path = workDir->filePath(QStringLiteral("ladders-%1.sqlite").arg(records));
    if (QFile::exists(path))
        return path;
    test::writeDefaultDatabase(path);
    QStringList statements;
    for (int have = 15; have < records; have *= 2)
        statements << QStringLiteral("INSERT INTO \"Ladders\" SELECT * FROM \"Ladders\" LIMIT %1").arg(records - have);
    test::editDatabase(path, statements);
    return path;
}

QString databaseFor(int records)
{
    return records == 15 ? test::writeDefaultDatabase(workDir->filePath(QStringLiteral("default.sqlite")))
                         : bigDatabase(records);
}

// What one transposition press asks of the data: in one snapshot, count, draw, read the key and one degree.
void DataPress(benchmark::State &state)
{
    MusicDatabase db;
    db.open(databaseFor(int(state.range(0))));
    RecordCursor ladders(db.connectionName(), tables::Ladders);
    SeededRandom random(1);
    for (auto _ : state) {
        const PressSnapshot snapshot(ladders);
        const Expected<DrawnRecord> record = ladders.countAndDraw(random);
        benchmark::DoNotOptimize(record->field(fields::Key));
        benchmark::DoNotOptimize(record->field(QStringLiteral("6")));
    }
}
BENCHMARK(DataPress)->Arg(15)->Arg(100000)->Unit(benchmark::kMicrosecond);

// SQLite's own floor for the same work: a bare COUNT(*) and one OFFSET row through the C API.
void SqliteFloor(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(databaseFor(int(state.range(0))).toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::uint64_t k = 0;
    for (auto _ : state) {
        sqlite3_stmt *count = nullptr;
        sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM \"Ladders\"", -1, &count, nullptr);
        sqlite3_step(count);
        const int n = sqlite3_column_int(count, 0);
        sqlite3_finalize(count);
        sqlite3_stmt *row = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM \"Ladders\" ORDER BY rowid LIMIT 1 OFFSET ?", -1, &row, nullptr);
        sqlite3_bind_int(row, 1, int(k++ * 7919 % std::uint64_t(n)));
        sqlite3_step(row);
        benchmark::DoNotOptimize(sqlite3_column_text(row, 0));
        sqlite3_finalize(row);
    }
    sqlite3_close(db);
}
BENCHMARK(SqliteFloor)->Arg(15)->Arg(100000)->Unit(benchmark::kMicrosecond);

class Silent : public Prompter, public SoundPlayer
{
public:
    void inform(const QString &, Icon) override {}
    bool askYesNo(const QString &, const QString &) override { return false; }

protected:
    void playToEnd(const QString &) override {}
};

// A whole chord "GO!": count, draw, build, shuffle, place on the staff and list the notes.
void ChordGoPress(benchmark::State &state)
{
    Silent silent;
    SeededRandom random(1);
    Clock clock;
    MainWindow window(Services{silent, silent, random, clock, QStringLiteral("absent.mdb")}, false);
    window.Form_Load();
    window.findChild<QAbstractButton *>(QStringLiteral("check1_mixup"))->setChecked(true);
    auto *go = window.findChild<QAbstractButton *>(QStringLiteral("Command1"));
    for (auto _ : state)
        go->click();
}
BENCHMARK(ChordGoPress)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return bench::run<QApplication>(argc, argv);
}
