// Music files a teacher editing them can leave behind: special files, broken links, WAL files,
// locks, damage, replacement. None may hang the program, make it write, or be misnamed.
#include "dbcheck/dbcheck.h"
#include "exercises/chords/chordquestion.h"
#include "exercises/intervals/intervals.h"
#include "music/musicdatabase.h"
#include "music/random.h"
#include "music/files/userfiles.h"
#include "refusedfile.h"
#include "testdata.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <QTest>

#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;
using test::chordKindCount;
using test::Writer;

class TestHostileFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

    // Makes the file of one hostile case at m_path.
    void make(const QString &kind)
    {
        const QByteArray path = QFile::encodeName(m_path);
        if (kind == QLatin1String("named pipe")) {
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(m_path));
        } else if (kind == QLatin1String("dangling link")) {
            QCOMPARE(::symlink("nowhere.sqlite", path.constData()), 0);
        } else if (kind == QLatin1String("looping link")) {
            QCOMPARE(::symlink("Chords-VB.mdb", path.constData()), 0);
        } else if (kind == QLatin1String("damaged pages")) {
            test::writeDefaultDatabase(m_path);
            test::patchFile(m_path, 4096 + 8, QByteArray(2000, '\x5a'));
        } else if (kind == QLatin1String("truncated")) {
            test::writeDefaultDatabase(m_path);
            QVERIFY(QFile::resize(m_path, 4096 + 1000));
        } else if (kind == QLatin1String("WITHOUT ROWID")) {
            test::writeDefaultDatabase(m_path);
            test::editDatabase(m_path, {"CREATE TABLE copy AS SELECT * FROM \"chort-sort\"",
                                        "DROP TABLE \"chort-sort\"",
                                        "CREATE TABLE \"chort-sort\" (plugin TEXT PRIMARY KEY) WITHOUT ROWID",
                                        "INSERT OR IGNORE INTO \"chort-sort\" SELECT plugin FROM copy",
                                        "DROP TABLE copy"});
        } else if (kind == QLatin1String("endless view")) {
            test::writeDefaultDatabase(m_path);
            test::editDatabase(m_path, {"ALTER TABLE \"Ladders\" RENAME TO copy",
                                        "CREATE VIEW \"Ladders\" AS WITH RECURSIVE r(n) AS "
                                        "(SELECT 1 UNION ALL SELECT n + 1 FROM r) SELECT copy.* FROM r, copy"});
        } else if (kind == QLatin1String("gigabyte field")) {
            test::writeDefaultDatabase(m_path);
            test::editDatabase(m_path, {"ALTER TABLE \"chort-sort\" ADD COLUMN big TEXT "
                                        "GENERATED ALWAYS AS (printf('%.*c', 200000000, 'x')) VIRTUAL"});
        } else if (kind == QLatin1String("Access 2007")) {
            QByteArray ace(4096, '\0');
            ace.replace(4, 15, "Standard ACE DB");
            test::writeFile(m_path, ace);
        } else if (kind == QLatin1String("hot journal")) {
            makeHotJournal();
        } else if (kind == QLatin1String("missing field")) {
            test::writeDefaultDatabase(m_path);
            test::editDatabase(m_path, {"ALTER TABLE \"Ladders\" DROP COLUMN \"bb7\""});
        } else if (kind == QLatin1String("NUL in a text")) {
            test::writeDefaultDatabase(m_path);
            test::editDatabase(m_path, {"UPDATE \"chort-sort\" SET plugin = 'maj' || char(0) || '_3' WHERE plugin = 'maj_3'"});
        } else if (kind.startsWith(QLatin1String("NUL in an Access"))) {
            // A memo is a text over 255 characters, kept in its record or on LVAL pages.
            const int before = kind.contains(QLatin1String("LVAL")) ? 2500 : kind.contains(QLatin1String("memo")) ? 300 : 0;
            QString sql = test::defaultSql();
            sql.replace(QStringLiteral("'maj_3'"), QStringLiteral("'maj") + QString(before, QLatin1Char('x')) + QChar(0) + QStringLiteral("_3'"));
            QVERIFY(!test::writeAccessFromSql(sql, m_path, kind.contains(QLatin1String("97")) ? test::Jet::V3 : test::Jet::V4).isEmpty());
        } else if (kind == QLatin1String("garbage")) {
            test::writeFile(m_path, "this is not a database at all");
        } else if (kind == QLatin1String("empty")) {
            test::writeFile(m_path, {});
        } else if (kind == QLatin1String("Access file cut short")) {
            QByteArray access(512, '\0');
            access.replace(4, 15, "Standard Jet DB");
            test::writeFile(m_path, access);
        } else {
            QFAIL(qPrintable(kind));
        }
    }

    // A save interrupted half-way: the sqlite3 program killed inside a transaction that has
    // already written pages (a one-page cache spills them), leaving its journal behind.
    void makeHotJournal()
    {
        const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (sqlite3.isEmpty())
            QSKIP("needs the sqlite3 program (scripts/deps.sh --test installs it)");
        test::writeDefaultDatabase(m_path);
        QProcess writer;
        writer.start(sqlite3, {m_path});
        QVERIFY(writer.waitForStarted());
        writer.write("PRAGMA cache_size=1;\nBEGIN;\nUPDATE \"Ladders\" SET \"1\" = \"1\" || 'x';\n"
                     "UPDATE \"Intervallen\" SET \"Top\" = \"Top\";\nSELECT 'spilled';\n");
        QVERIFY(writer.waitForReadyRead(5000));
        writer.kill();
        writer.waitForFinished();
        QVERIFY(QFile::exists(m_path + QStringLiteral("-journal")));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QStringLiteral("Chords-VB.mdb"));
    }

    // Each row's name is the kind of file make() leaves; tst_access has the damaged Access files.
    void unusableFileIsNamedOnceWithoutWaitingOrWriting_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::newRow("named pipe") << "named pipe";
        QTest::newRow("folder") << "folder";
        QTest::newRow("dangling link") << "symbolic link to \"nowhere.sqlite\", which does not exist";
        QTest::newRow("looping link") << "loop";
        QTest::newRow("garbage") << "not an SQLite database";
        QTest::newRow("empty") << "not an SQLite database";
        QTest::newRow("damaged pages") << "damaged";
        QTest::newRow("truncated") << "damaged";
        QTest::newRow("missing field") << "\"Ladders\" has no field \"bb7\"";
        QTest::newRow("WITHOUT ROWID") << "WITHOUT ROWID";
        QTest::newRow("Access file cut short") << "cut short";
        QTest::newRow("Access 2007") << ".accdb";
        QTest::newRow("endless view") << "is a view";
        QTest::newRow("gigabyte field") << "is generated";
        // A NUL ends an Access reader's text but not SQLite's: damage, said alike for both kinds.
        for (const char *row : {"NUL in a text", "NUL in an Access 97 text", "NUL in an Access 2000 text",
                                "NUL in an Access 2000 memo", "NUL in an Access 2000 memo on LVAL pages"})
            QTest::newRow(row) << "\"chort-sort\": field \"plugin\" holds a text with a NUL character in it";
        QTest::newRow("hot journal") << "Chords-VB.mdb-journal";
    }
    void unusableFileIsNamedOnceWithoutWaitingOrWriting()
    {
        QFETCH(QString, cause);
        make(QString::fromLatin1(QTest::currentDataTag()));
        test::expectNamedOnce(m_path, cause, 3000);
    }

    void walFileIsReadWithoutCreatingOrChangingAnyFile_data()
    {
        QTest::addColumn<bool>("walFileLeft");
        QTest::newRow("no -wal file") << false;
        QTest::newRow("commits still in the -wal file") << true;
    }
    void walFileIsReadWithoutCreatingOrChangingAnyFile()
    {
        QFETCH(bool, walFileLeft);
        test::writeDefaultDatabase(m_path);
        test::editDatabase(m_path, {"PRAGMA journal_mode=WAL"});
        std::unique_ptr<Writer> writer;
        if (walFileLeft) {
            writer = std::make_unique<Writer>(m_path);
            writer->run(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
            writer->run(QStringLiteral("INSERT INTO \"chort-sort\" VALUES ('added')"));
            QVERIFY(QFile::exists(m_path + QStringLiteral("-wal")));
        } else {
            QVERIFY(!QFile::exists(m_path + QStringLiteral("-wal")));
        }
        const QStringList before = test::listing(m_dir->path());

        MusicDatabase db;
        QCOMPARE(MusicDatabase::toSay(db.open(m_path)), QString());
        QVERIFY(!db.usingBuiltIn());
        QCOMPARE(chordKindCount(db), walFileLeft ? 29 : 28);
        QCOMPARE(test::listing(m_dir->path()), before);

        // A commit made after the open is seen at the next press.
        if (!writer)
            writer = std::make_unique<Writer>(m_path);
        writer->run(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
        writer->run(QStringLiteral("INSERT INTO \"chort-sort\" VALUES ('later')"));
        const QStringList withCommit = test::listing(m_dir->path());
        QVERIFY(db.refresh().ok());
        QCOMPARE(chordKindCount(db), walFileLeft ? 30 : 29);
        QCOMPARE(test::listing(m_dir->path()), withCommit);
    }

    void aWalFileGrownFarBeyondItsFramesCostsOnlyTheFrames()
    {
        test::writeDefaultDatabase(m_path);
        test::editDatabase(m_path, {"PRAGMA journal_mode=WAL"});
        Writer writer(m_path);
        writer.run(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
        writer.run(QStringLiteral("INSERT INTO \"chort-sort\" VALUES ('added')"));
        // 4 GB that hold no blocks: read as zeros, which no frame of the log can be.
        QVERIFY(QFile::resize(m_path + QStringLiteral("-wal"), qint64(4) << 30));
        const test::Stopwatch clock;
        MusicDatabase db;
        QCOMPARE(MusicDatabase::toSay(db.open(m_path)), QString());
        QCOMPARE(chordKindCount(db), 29);
        QVERIFY2(clock.elapsed() < 2000, clock.said());
    }

    // The search runs at every press: a file added, edited, renamed over, removed or broken is
    // seen at the next one, the working directory's before the data directory's.
    void searchRunsAtEveryPressWorkingDirectoryFirst()
    {
        const QString home = m_dir->filePath(QStringLiteral("data-home"));
        const test::ScopedPlace place(m_dir->filePath(QStringLiteral("work")), home);
        QCOMPARE(userDataDirectory(), home + QStringLiteral("/velmora"));
        QVERIFY(QDir().mkpath(userDataDirectory()));
        const QString inData = userDataDirectory() + QStringLiteral("/Chords-VB.mdb");
        const auto keep = [](const QString &path, const char *plugins) {
            test::writeDefaultDatabase(path);
            test::editDatabase(path, {QStringLiteral("DELETE FROM \"chort-sort\" WHERE plugin NOT IN (%1)").arg(QLatin1String(plugins))});
        };
        const auto press = [](MusicDatabase &db) {
            const Expected<MusicDatabase::Notice> check = db.refresh();
            return (check ? QString() : QStringLiteral("not ready: ")) + MusicDatabase::toSay(check);
        };
        keep(inData, "'maj_3'");
        MusicDatabase db;
        QCOMPARE(MusicDatabase::toSay(db.open(userFileSearch(QStringLiteral("Chords-VB.mdb")))), QString());
        QCOMPARE(chordKindCount(db), 1);

        test::writeDefaultDatabase(QStringLiteral("Chords-VB.mdb")); // the working directory's wins
        QCOMPARE(press(db), QString());
        QCOMPARE(chordKindCount(db), 28);
        test::editDatabase(QStringLiteral("Chords-VB.mdb"), {"DELETE FROM \"chort-sort\" WHERE plugin NOT IN ('maj_3', 'min_3')"});
        QCOMPARE(press(db), QString());
        QCOMPARE(chordKindCount(db), 2);
        keep(QStringLiteral("new.sqlite"), "'maj_3', 'min_3', 'dim_3'"); // saved as a new file, renamed over
        QCOMPARE(::rename("new.sqlite", "Chords-VB.mdb"), 0);
        QCOMPARE(press(db), QString());
        QCOMPARE(chordKindCount(db), 3);

        QVERIFY(QFile::remove(QStringLiteral("Chords-VB.mdb"))); // the data directory's again
        QCOMPARE(press(db), QString());
        QCOMPARE(chordKindCount(db), 1);
        test::writeFile(QStringLiteral("Chords-VB.mdb"), "half a file"); // back, broken: said once
        QVERIFY2(press(db).contains(QLatin1String("not an SQLite database")), qPrintable(press(db)));
        QCOMPARE(press(db), QString());
        QVERIFY(db.usingBuiltIn());
        QVERIFY(QFile::remove(QStringLiteral("Chords-VB.mdb")) && QFile::remove(inData)); // then the built-in data
        QCOMPARE(press(db), QString());
        QVERIFY(db.usingBuiltIn());
        QCOMPARE(chordKindCount(db), 28);
    }

    // A writer's lock costs a start-up or a press at most its second, and the file is used once
    // the lock ends. Presses read Velmora's own copy of the file: a writer holding it locked holds
    // up no press while the file stays as it was copied, and meets Velmora only when a changed
    // file is copied, which fails only that press.
    void aWriterMeetsPressesOnlyWhenTheChangedFileIsCopied()
    {
        test::writeDefaultDatabase(m_path);
        test::editDatabase(m_path, {"INSERT INTO \"chort-sort\" VALUES ('added')"});
        Writer writer(m_path);
        writer.run(QStringLiteral("PRAGMA busy_timeout = 0"));
        writer.run(QStringLiteral("BEGIN EXCLUSIVE"));
        writer.run(QStringLiteral("DELETE FROM \"chort-sort\" WHERE plugin = 'added'"));
        test::Stopwatch clock;
        MusicDatabase db;
        const QString problem = MusicDatabase::toSay(db.open(m_path));
        QVERIFY2(clock.elapsed() < SqliteFile::ReadWaitMs + 500, clock.said());
        QVERIFY2(problem.contains(QLatin1String("locked")), qPrintable(problem));
        QVERIFY(!db.usingBuiltIn());
        writer.run(QStringLiteral("ROLLBACK"));
        QVERIFY(db.refresh().ok());
        QCOMPARE(chordKindCount(db), 29);

        RecordCursor ladders(db.connectionName(), tables::Ladders);
        RecordCursor kinds(db.connectionName(), tables::ChordKinds);
        SeededRandom random(3);
        writer.run(QStringLiteral("BEGIN EXCLUSIVE"));
        clock.restart();
        for (int press = 0; press < 20; ++press) {
            QVERIFY(db.refresh().ok());
            QVERIFY(drawChordQuestion(ladders, kinds, random, {}, {}));
        }
        QVERIFY2(clock.elapsed() < 500, clock.said());
        writer.run(QStringLiteral("DELETE FROM \"chort-sort\" WHERE plugin <> 'maj_3'"));

        // The writer has saved part of its change: the file changed, and the copy meets the lock.
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(1), QFileDevice::FileModificationTime));
        clock.restart();
        const Expected<MusicDatabase::Notice> locked = db.refresh();
        QVERIFY2(clock.elapsed() < SqliteFile::ReadWaitMs + 500, clock.said());
        QVERIFY(!locked.ok());
        QVERIFY2(MusicDatabase::toSay(locked).contains(QLatin1String("locked")) && !MusicDatabase::toSay(locked).contains(QLatin1String("Unable to")),
                 qPrintable(MusicDatabase::toSay(locked)));
        writer.run(QStringLiteral("COMMIT"));
        QVERIFY(db.refresh().ok());
        QCOMPARE(chordKindCount(db), 1);
    }

    void anEndlessViewSwappedInFailsOnlyItsPressWithinItsBudget()
    {
        test::writeDefaultDatabase(m_path);
        MusicDatabase db;
        QCOMPARE(MusicDatabase::toSay(db.open(m_path)), QString());
        const QString next = m_path + QStringLiteral(".new");
        test::writeDefaultDatabase(next);
        test::editDatabase(next, {"ALTER TABLE \"Ladders\" RENAME TO copy",
                                  "CREATE VIEW \"Ladders\" AS WITH RECURSIVE r(n) AS "
                                  "(SELECT 1 UNION ALL SELECT n + 1 FROM r) SELECT copy.* FROM r, copy"});
        QCOMPARE(::rename(QFile::encodeName(next).constData(), QFile::encodeName(m_path).constData()), 0);
        const test::Stopwatch clock;
        QVERIFY(db.refresh().ok());
        RecordCursor ladders(db.connectionName(), tables::Ladders);
        {
            const DrawSnapshot press(ladders);
            QVERIFY(!ladders.count());
        }
        QVERIFY2(clock.elapsed() < MusicDatabase::DrawReadBudget.count() + 1000, clock.said());
        // Outside a press nothing is cut short.
        QVERIFY(*RecordCursor(db.connectionName(), tables::ChordKinds).count() == 28);
    }

    // SQLite opens the file itself, after Velmora has looked at it: a named pipe put there in
    // between must not make it wait for a writer. A writer comes after 3 s in any case, so that a
    // wait shows as time rather than a hang.
    void aNamedPipeSwappedInBeforeSqliteOpensItWaitsForNothing()
    {
        guardSqliteOpens();
        QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
        std::thread writer([path = QFile::encodeName(m_path)] {
            std::this_thread::sleep_for(std::chrono::seconds(3));
            const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
        const auto join = qScopeGuard([&] { writer.join(); });
        const test::Stopwatch clock;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("pipe"));
            db.setDatabaseName(m_path);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            QSqlQuery query(db);
            QVERIFY(!db.open() || !query.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("pipe"));
        QVERIFY2(clock.elapsed() < 2000, clock.said());
    }

    // Directory names are bytes, and need not be UTF-8, which a QString cannot hold: files in such
    // a working directory, and in such a data directory, are read all the same.
    void aDirectoryNameThatIsNotUtf8HoldsUsableFiles()
    {
        const QByteArray odd = QFile::encodeName(m_dir->path()) + "/\xff\xfe";
        QCOMPARE(::mkdir(odd.constData(), 0700), 0);
        QCOMPARE(::mkdir((odd + "/velmora").constData(), 0700), 0);
        const QByteArray here = QFile::encodeName(QDir::currentPath());
        const QByteArray home = qgetenv("XDG_DATA_HOME");
        const auto restore = qScopeGuard([&] {
            QCOMPARE(::chdir(here.constData()), 0);
            qputenv("XDG_DATA_HOME", home);
        });
        const QStringList oneKind{"DELETE FROM \"chort-sort\" WHERE plugin <> 'maj_3'"};
        // Written from inside, by names relative to it.
        QCOMPARE(::chdir(odd.constData()), 0);
        test::writeAccessDatabase(QStringLiteral("Chords-VB.mdb"), oneKind);
        test::writeDefaultDatabase(QStringLiteral("wal.sqlite"));
        test::editDatabase(QStringLiteral("wal.sqlite"), QStringList{"PRAGMA journal_mode=WAL"} + oneKind);
        QCOMPARE(::chdir("velmora"), 0);
        test::writeDefaultDatabase(QStringLiteral("Chords-VB.mdb"));
        test::editDatabase(QStringLiteral("Chords-VB.mdb"), oneKind);
        QCOMPARE(::chdir(odd.constData()), 0);
        for (const char *name : {"Chords-VB.mdb", "wal.sqlite"}) {
            MusicDatabase db(test::builtExporter());
            QCOMPARE(MusicDatabase::toSay(db.open(userFileSearch(QLatin1String(name)))), QString());
            QVERIFY2(!db.usingBuiltIn() && chordKindCount(db) == 1, name);
        }
        // The data directory's, from a working directory without one.
        qputenv("XDG_DATA_HOME", odd);
        QCOMPARE(::chdir(QFile::encodeName(m_dir->path()).constData()), 0);
        MusicDatabase db;
        QCOMPARE(MusicDatabase::toSay(db.open(userFileSearch(QStringLiteral("Chords-VB.mdb")))), QString());
        QVERIFY(!db.usingBuiltIn());
        QCOMPARE(chordKindCount(db), 1);
        // A message names it as a person would read the name.
        QCOMPARE(::unlink((odd + "/velmora/Chords-VB.mdb").constData()), 0);
        QCOMPARE(::mkdir((odd + "/velmora/Chords-VB.mdb").constData(), 0700), 0);
        const Expected<MusicDatabase::Notice> folder = db.refresh();
        QVERIFY2(MusicDatabase::toSay(folder).contains(QFile::decodeName(odd + "/velmora/Chords-VB.mdb")), qPrintable(MusicDatabase::toSay(folder)));
    }

    // A redraw until acceptable over uniform draws ends on each acceptable record equally often,
    // however few they are among the others, and wherever they stand.
    void skewedTablesDrawAcceptableRecordsUniformly_data()
    {
        QTest::addColumn<QStringList>("change");
        QTest::addColumn<bool>("chords"); // else intervals
        const QString many = QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) ");
        // Two acceptable records each way: min_3 stored twice beside one maj_3; octave up and down.
        QTest::newRow("one triad among many 13th chords")
            << QStringList{"DELETE FROM \"chort-sort\"", many + "INSERT INTO \"chort-sort\" SELECT 'maj_13' FROM n",
                           "INSERT INTO \"chort-sort\" VALUES ('maj_3'), ('min_3'), ('min_3')"}
            << true;
        QTest::newRow("one octave among many fifths")
            << QStringList{"CREATE TABLE keep AS SELECT * FROM \"Intervallen\" WHERE \"Interval_uk\" = 'Octave'",
                           "DELETE FROM \"Intervallen\" WHERE \"Interval_uk\" <> 'Perfect Fifth'",
                           many + "INSERT INTO \"Intervallen\" SELECT f.* FROM \"Intervallen\" AS f, n",
                           "INSERT INTO \"Intervallen\" SELECT * FROM keep", "DROP TABLE keep"}
            << false;
    }
    void skewedTablesDrawAcceptableRecordsUniformly()
    {
        QFETCH(QStringList, change);
        QFETCH(bool, chords);
        test::writeDefaultDatabase(m_path);
        test::editDatabase(m_path, change);
        MusicDatabase db;
        QCOMPARE(MusicDatabase::toSay(db.open(m_path)), QString());
        RecordCursor ladders(db.connectionName(), tables::Ladders);
        RecordCursor kinds(db.connectionName(), tables::ChordKinds);
        RecordCursor intervals(db.connectionName(), tables::Intervals);
        SeededRandom random(17);
        IntervalSelection octaveOnly{};
        octaveOnly[IntervalChoiceCount - 1] = true;
        QCOMPARE(QLatin1String(intervalChoices()[IntervalChoiceCount - 1].name), QLatin1String("Octave"));
        QMap<QString, int> seen;
        const int draws = 1200;
        for (int i = 0; i < draws; ++i) {
            if (chords) {
                const Expected<ChordQuestion> q = drawChordQuestion(ladders, kinds, random, {true, false, {}, {}}, {});
                QVERIFY2(q, qPrintable(q.error()));
                seen[q->kind]++;
            } else {
                const Expected<IntervalQuestion> q = drawIntervalQuestion(ladders, intervals, random, octaveOnly);
                QVERIFY2(q, qPrintable(q.error()));
                seen[q->interval + QLatin1Char(' ') + q->direction]++;
            }
        }
        QCOMPARE(seen.size(), 2);
        const double ratio = double(seen.last()) / seen.first(); // min_3 / maj_3; up / down
        QVERIFY2(ratio > (chords ? 1.7 : 0.75) && ratio < (chords ? 2.3 : 1.33), qPrintable(QString::number(ratio)));
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
