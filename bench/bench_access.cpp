// An Access (Jet 4) music file beside the same data in SQLite: one press's data work, which reads
// the snapshot taken at the open, and the open itself, which runs the exporter.
#include "music/accessfile.h"
#include "music/musicdatabase.h"
#include "music/random.h"
#include "benchmain.h"
#include "testdata.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

using bench::workDir;

// The default data, its "Ladders" grown to `records` rows of the fifteen keys over and over.
QStringList growLadders(int records)
{
    QStringList statements;
    for (int have = 15; have < records; have *= 2)
        statements << QStringLiteral("INSERT INTO \"Ladders\" SELECT * FROM \"Ladders\" LIMIT %1").arg(records - have);
    return statements;
}

QString fileFor(bool access, int records)
{
    const QString path = workDir->filePath(QStringLiteral("ladders-%1.%2").arg(records).arg(access ? "mdb" : "sqlite"));
    if (!QFile::exists(path)) {
        if (access) {
            test::writeAccessDatabase(path, growLadders(records));
        } else {
            test::writeDefaultDatabase(path);
            test::editDatabase(path, growLadders(records));
        }
    }
    return path;
}

// What one transposition press asks of the data: look at the file, and in one snapshot count,
// draw, read the key and one degree.
void Press(benchmark::State &state, bool access)
{
    MusicDatabase db(test::builtExporter());
    if (!MusicDatabase::toSay(db.open(fileFor(access, int(state.range(0))))).isEmpty() || db.usingBuiltIn())
        state.SkipWithError("the file was not used");
    RecordCursor ladders(db.connectionName(), tables::Ladders);
    SeededRandom random(1);
    for (auto _ : state) {
        if (!db.refresh())
            state.SkipWithError("press refused");
        const DrawSnapshot snapshot(ladders);
        const Expected<DrawnRecord> record = ladders.countAndDraw(random);
        benchmark::DoNotOptimize(record->field(fields::Key));
        benchmark::DoNotOptimize(record->field(QStringLiteral("6")));
    }
}
void AccessPress(benchmark::State &state) { Press(state, true); }
void SqlitePress(benchmark::State &state) { Press(state, false); }
BENCHMARK(AccessPress)->Arg(15)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(SqlitePress)->Arg(15)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The first press after another program saved the file: the open, with its checks.
void Open(benchmark::State &state, bool access)
{
    const QString path = fileFor(access, int(state.range(0)));
    for (auto _ : state) {
        MusicDatabase db(test::builtExporter());
        if (!MusicDatabase::toSay(db.open(path)).isEmpty())
            state.SkipWithError("the file was not used");
    }
}
void AccessOpen(benchmark::State &state) { Open(state, true); }
void SqliteOpen(benchmark::State &state) { Open(state, false); }
BENCHMARK(AccessOpen)->Arg(15)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteOpen)->Arg(15)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::run<QCoreApplication>(argc, argv);
}
