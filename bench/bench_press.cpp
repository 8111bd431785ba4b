#include "exercises/chords/chordquestion.h"
#include "app/mainwindow.h"
#include "app/progresswindow.h"
#include "exercises/relations/relations.h"
#include "practice/practicesession.h"
#include "practice/progressstore.h"
#include "practice/weakspots.h"
#include "music/musicdatabase.h"
#include "ui/clock.h"
#include "ui/prompter.h"
#include "music/random.h"
#include "sound/soundplayer.h"
#include "benchmain.h"
#include "testdata.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
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
        const DrawSnapshot snapshot(ladders);
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

// The same press with every key (0) or three keys (1) chosen to drill.
void KeyedPress(benchmark::State &state)
{
    MusicDatabase db;
    db.open(databaseFor(int(state.range(0))));
    RecordCursor ladders(db.connectionName(), tables::Ladders);
    SeededRandom random(1);
    const ValueChoice keys = state.range(1) ? ValueChoice::only({"C", "G", "F"}) : ValueChoice();
    for (auto _ : state) {
        const DrawSnapshot snapshot(ladders);
        const Expected<KeyedScale> scale = drawKeyedScale(ladders, random, keys);
        benchmark::DoNotOptimize(scale->record.field(QStringLiteral("6")));
    }
}
BENCHMARK(KeyedPress)->Args({15, 0})->Args({15, 1})->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMicrosecond);

// SQLite's floor for a narrowed press: reading every "Toonsoort" once, in rowid order.
void SqliteKeysFloor(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(databaseFor(int(state.range(0))).toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        sqlite3_stmt *keys = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid, \"Toonsoort\" FROM \"Ladders\" ORDER BY rowid", -1, &keys, nullptr);
        while (sqlite3_step(keys) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_text(keys, 1));
        sqlite3_finalize(keys);
    }
    sqlite3_close(db);
}
BENCHMARK(SqliteKeysFloor)->Arg(15)->Arg(100000)->Unit(benchmark::kMicrosecond);

class Silent : public Prompter, public SoundPlayer
{
public:
    void inform(const QString &, Icon) override {}
    bool askYesNo(const QString &, const QString &) override { return false; }
    QString saveFileName(const QString &, const QString &) override { return {}; }

protected:
    void play(const QString &, QObject *, std::function<void()> heard) override { heard(); }
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

// "Choose what to drill..." from the menu until the dialog is shown, over the default data and
// over a "Ladders" of 100,000 records.
void DrillDialogOpens(benchmark::State &state)
{
    Silent silent;
    SeededRandom random(1);
    Clock clock;
    MainWindow window(Services{silent, silent, random, clock, databaseFor(int(state.range(0)))}, false);
    window.Form_Load();
    window.show();
    auto *choose = window.findChild<QAction *>(QStringLiteral("ChooseDrill"));
    for (auto _ : state) {
        choose->trigger();
        auto *dialog = window.findChild<QDialog *>(QStringLiteral("DrillDialog"));
        QCoreApplication::processEvents();
        state.PauseTiming();
        delete dialog;
        state.ResumeTiming();
    }
}
// One answer kept: the row committed to the progress file (WAL, synchronous NORMAL).
void KeepAnswer(benchmark::State &state)
{
    ProgressStore store;
    store.open(workDir->filePath(QStringLiteral("keep-%1.sqlite").arg(qintptr(&state))));
    const KeptAnswer answer{QDateTime::currentDateTime(), QStringLiteral("Chords"), {QStringLiteral("Db"), QStringLiteral("dom7_b5")},
                            QStringLiteral("Db, Dominant 7 b5"), true, true, false, 2300};
    for (auto _ : state)
        store.keep(answer);
}
BENCHMARK(KeepAnswer)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// A relations press's data work drawn uniformly (0) or weighted by the weak spots (1).
void WeightedPress(benchmark::State &state)
{
    MusicDatabase db;
    db.open(databaseFor(15));
    RecordCursor ladders(db.connectionName(), tables::Ladders);
    SeededRandom random(1);
    WeakSpots spots;
    spots.firstTry(QStringLiteral("Relations"), {QStringLiteral("Eb"), QStringLiteral("minor")}, false);
    const WeakSpotPick pick{std::nullopt, [&spots](const QuestionCell &cell) { return spots.weight(QStringLiteral("Relations"), cell); }};
    for (auto _ : state) {
        const Expected<RelationsQuestion> question =
            state.range(0) ? drawRelationsQuestion(ladders, random, RelationsMode::Both, {}, pick)
                           : drawRelationsQuestion(ladders, random, RelationsMode::Both, {});
        benchmark::DoNotOptimize(question->expected);
    }
}
BENCHMARK(WeightedPress)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// "Progress..." opened and turned to all time, over a progress file of 100,000 kept answers.
void ProgressWindowOpens(benchmark::State &state)
{
    const QString path = workDir->filePath(QStringLiteral("progress-100k.sqlite"));
    {
        ProgressStore store;
        store.open(path);
        QStringList keys = keysByFifths();
        for (int i = 0; i < 100000; ++i) {
            store.keep({QDateTime::currentDateTime(), QStringLiteral("Chords"), {keys[i % 15], QStringLiteral("maj_3")},
                        QStringLiteral("C, Majeur 3"), i % 3 != 0, true, false, 1500});
        }
    }
    Silent silent;
    PracticeSession practice;
    practice.startKeeping(path);
    QStringList kinds;
    for (const ChordKind &kind : chordKinds())
        kinds << kind.code;
    const QList<ProgressWindow::Map> maps{{QStringLiteral("Chords"), QStringLiteral("Chords"), keysByFifths(), kinds,
                                           [](const QString &code) { return code; }}};
    for (auto _ : state) {
        ProgressWindow window(practice, silent, maps, {});
        auto *period = window.findChild<QComboBox *>(QStringLiteral("ProgressPeriod"));
        period->setCurrentIndex(period->count() - 1);
        benchmark::DoNotOptimize(window.isVisible());
    }
}
BENCHMARK(ProgressWindowOpens)->Unit(benchmark::kMillisecond);

// "Plain English captions" ticked and unticked: the whole window retranslated, twice.
void PlainEnglishSwitch(benchmark::State &state)
{
    Silent silent;
    SeededRandom random(1);
    Clock clock;
    MainWindow window(Services{silent, silent, random, clock, QStringLiteral("absent.mdb")}, false);
    window.Form_Load();
    window.show();
    auto *english = window.findChild<QAction *>(QStringLiteral("PlainEnglish"));
    for (auto _ : state) {
        english->setChecked(true);
        english->setChecked(false);
    }
}
BENCHMARK(PlainEnglishSwitch)->Unit(benchmark::kMillisecond);

BENCHMARK(DrillDialogOpens)->Arg(15)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return bench::run<QApplication>(argc, argv);
}
