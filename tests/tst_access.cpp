// Access (Jet 3 and 4) music databases: our generator's files as Velmora reads them, beside the
// same data as SQLite; bad and hostile Access files.
#include "dbcheck/dbcheck.h"
#include "exercises/chords/chordquestion.h"
#include "exercises/intervals/intervals.h"
#include "exercises/relations/relations.h"
#include "exercises/transpose/transpose.h"
#include "music/accessfile.h"
#include "music/musicdatabase.h"
#include "music/random.h"
#include "refusedfile.h"
#include "testdata.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <array>

using namespace velmora;
using test::chordKindCount;

Q_DECLARE_METATYPE(velmora::test::Jet)

namespace {

// Twenty presses of each exercise, in one line each: the question, or the message it ended in.
QStringList pressOutcomes(MusicDatabase &db)
{
    RecordCursor ladders(db.connectionName(), tables::Ladders);
    RecordCursor kinds(db.connectionName(), tables::ChordKinds);
    RecordCursor intervals(db.connectionName(), tables::Intervals);
    SeededRandom random(11);
    IntervalSelection all;
    all.fill(true);
    const QString bbDegree = *transpositionField(Instrument::Bb, Instrument::C);
    QStringList outcomes;
    const auto record = [&](const QString &exercise, const auto &question, const auto &describe) {
        outcomes << exercise + QStringLiteral(": ") + (question ? describe(*question) : QStringLiteral("fails: ") + question.error());
    };
    for (int press = 0; press < 20; ++press) {
        const Expected<MusicDatabase::Notice> check = db.refresh();
        if (!MusicDatabase::toSay(check).isEmpty())
            outcomes << QStringLiteral("press: ") + MusicDatabase::toSay(check);
        record(QStringLiteral("chords"), drawChordQuestion(ladders, kinds, random, {}, {}),
               [](const ChordQuestion &q) { return q.key + QLatin1Char(' ') + q.kind + QLatin1Char(' ') + noteListText(q.notes, true); });
        record(QStringLiteral("relations"), drawRelationsQuestion(ladders, random, RelationsMode::Both),
               [](const RelationsQuestion &q) { return q.text + QStringLiteral(" -> ") + q.expected; });
        record(QStringLiteral("transpose"), drawTransposeQuestion(ladders, random, bbDegree),
               [](const TransposeQuestion &q) { return q.writtenNote + QStringLiteral(" -> ") + q.expected; });
        record(QStringLiteral("intervals"), drawIntervalQuestion(ladders, intervals, random, all),
               [](const IntervalQuestion &q) { return q.startNote + QLatin1Char(' ') + q.interval + QLatin1Char(' ') + q.direction + QStringLiteral(" -> ") + q.expected; });
    }
    return outcomes;
}

QString writeScript(const QString &path, const QByteArray &body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write("#!/bin/sh\n" + body + "\n");
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

using test::Jet;

// For the shell scripts that stand in for the exporter and run the real one.
QByteArray exporterPath()
{
    return QFile::encodeName(test::builtExporter().exporter);
}

const std::array<std::pair<const char *, Jet>, 2> &formats()
{
    static const std::array<std::pair<const char *, Jet>, 2> all{{{"Jet 3: ", Jet::V3}, {"Jet 4: ", Jet::V4}}};
    return all;
}

// Where sql-to-mdb.py puts what the damage rows change: the catalogue's definition on page 2, its
// one data page on page 3, "Ladders"' definition on page 4; and offsets inside those pages.
struct Layout
{
    int page;
    int rowOffsets; // in a data page
    int fieldCount; // in a definition page
    int usageMap;   // in a definition page
    int countWidth; // a record's field count, before its first fixed field
    int rowCount;   // in a definition page
};
Layout layoutOf(Jet jet)
{
    return jet == Jet::V3 ? Layout{2048, 10, 25, 35, 1, 12} : Layout{4096, 14, 45, 55, 2, 16};
}

} // namespace

class TestAccess : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir; // one for each test function
    QString m_path;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QStringLiteral("Chords-VB.mdb"));
    }

    // ---- What our generator cannot write

    void scriptsTheGeneratorCannotWriteAreRefused_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("says");
        QTest::newRow("Jet 3: text over 255 characters")
            << QStringLiteral("CREATE TABLE t (a);\nINSERT INTO t VALUES ('%1');\n").arg(QString(256, QLatin1Char('x'))) << "255";
        QTest::newRow("wrong number of values") << QStringLiteral("CREATE TABLE t (a, b);\nINSERT INTO t VALUES ('x');\n") << "1 values";
        QTest::newRow("rows before the table") << QStringLiteral("INSERT INTO t VALUES ('x');\n") << "before it is created";
        QTest::newRow("Jet 3: a sign outside its code page") << QStringLiteral("CREATE TABLE t (a);\nINSERT INTO t VALUES ('Bb♭');\n") << "code page 1252";
        QTest::newRow("Jet 3: a record over 255 bytes")
            << QStringLiteral("CREATE TABLE t (a, b);\nINSERT INTO t VALUES ('%1', '%1');\n").arg(QString(200, QLatin1Char('x'))) << "jump tables";
    }
    void scriptsTheGeneratorCannotWriteAreRefused()
    {
        QFETCH(QString, sql);
        QFETCH(QString, says);
        const Jet jet = QByteArray(QTest::currentDataTag()).startsWith("Jet 3") ? Jet::V3 : Jet::V4;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not supported.*") + QRegularExpression::escape(says)));
        QCOMPARE(test::writeAccessFromSql(sql, m_path, jet), QString());
        QVERIFY(!QFile::exists(m_path));
    }

    // ---- Velmora's reader

    void accessFileReadsAsTheSameDataInSqlite_data()
    {
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<Jet>("jet");
        const QList<std::pair<const char *, QStringList>> cases{
            {"default data", {}},
            {"one key", {"DELETE FROM \"Ladders\" WHERE \"Toonsoort\" <> 'Eb'"}},
            {"empty table", {"DELETE FROM \"chort-sort\""}},
            {"missing field", {"ALTER TABLE \"Ladders\" DROP COLUMN \"bb7\""}},
            {"missing table", {"DROP TABLE \"Intervallen\""}},
            {"NULL", {"UPDATE \"Ladders\" SET \"3\" = NULL WHERE \"Toonsoort\" IN ('C', 'G')"}},
            {"empty text", {"UPDATE \"Ladders\" SET \"5\" = '' WHERE \"Toonsoort\" = 'D'"}},
            {"Top naming no field", {"UPDATE \"Intervallen\" SET \"Top\" = 'nowhere'"}},
            {"field names in other case", {"ALTER TABLE \"Ladders\" RENAME COLUMN \"b3\" TO \"B3\""}},
            {"accents and quotes", {"UPDATE \"Ladders\" SET \"1\" = 'C ü''ß' WHERE \"Toonsoort\" = 'C'"}},
            {"2800 more records over many pages", {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
                                                   "INSERT INTO \"chort-sort\" SELECT c.plugin FROM \"chort-sort\" AS c, n"}},
        };
        for (const auto &[format, jet] : formats()) {
            for (const auto &[name, changes] : cases)
                QTest::newRow(QByteArray(format) + name) << changes << jet;
        }
    }
    void accessFileReadsAsTheSameDataInSqlite()
    {
        QFETCH(QStringList, changes);
        QFETCH(Jet, jet);
        // Each named as the other kind would be: the first bytes decide.
        const QString sqlitePath = test::writeDefaultDatabase(m_path);
        test::editDatabase(sqlitePath, changes);
        const QString accessPath = test::writeAccessDatabase(m_dir->filePath(QStringLiteral("music.sqlite")), changes, jet);

        MusicDatabase sqlite;
        const QString sqliteProblem = MusicDatabase::toSay(sqlite.open(sqlitePath));
        MusicDatabase access(test::builtExporter());
        const QString accessProblem = MusicDatabase::toSay(access.open(accessPath));
        QCOMPARE(QString(accessProblem).replace(accessPath, QStringLiteral("FILE")), QString(sqliteProblem).replace(sqlitePath, QStringLiteral("FILE")));
        QCOMPARE(access.usingBuiltIn(), sqlite.usingBuiltIn());
        QCOMPARE(pressOutcomes(access), pressOutcomes(sqlite));
        if (changes.size() == 1 && changes.first().contains(QLatin1String("<> 'Eb'"))) {
            RecordCursor ladders(access.connectionName(), tables::Ladders);
            QCOMPARE(*ladders.count(), 1);
            QCOMPARE(*ladders.draw(1, 0)->field(fields::Key), QStringLiteral("Eb"));
        }
    }

    void regeneratedFileIsSeenAtTheNextPressAndNothingIsWritten()
    {
        test::writeAccessDatabase(m_path);
        const QStringList before = test::listing(m_dir->path());
        // The built exporter, counting its runs where the test's listing does not look.
        QTemporaryDir tools;
        const QString runs = tools.filePath(QStringLiteral("runs"));
        MusicDatabase db({writeScript(tools.filePath(QStringLiteral("exporter")),
                                      "echo >> '" + QFile::encodeName(runs) + "'; exec '" + exporterPath() + "' \"$@\"")});
        QCOMPARE(MusicDatabase::toSay(db.open(m_path)), QString());
        QVERIFY(!db.usingBuiltIn());
        QCOMPARE(chordKindCount(db), 28);
        for (int press = 0; press < 3; ++press) { // an unchanged file is not read again
            const Expected<MusicDatabase::Notice> check = db.refresh();
            QVERIFY(check.ok());
            QCOMPARE(MusicDatabase::toSay(check), QString());
        }
        QCOMPARE(test::readFile(runs).size(), 1);

        // Another program saves a new version under the same name.
        const QString fresh = test::writeAccessDatabase(m_dir->filePath(QStringLiteral("new.mdb")),
                                                        {"DELETE FROM \"chort-sort\" WHERE plugin <> 'maj_3'"});
        QCOMPARE(::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(m_path).constData()), 0);
        const QStringList replaced = test::listing(m_dir->path());
        QVERIFY(replaced != before);
        const Expected<MusicDatabase::Notice> check = db.refresh();
        QVERIFY(check.ok());
        QCOMPARE(MusicDatabase::toSay(check), QString());
        QCOMPARE(chordKindCount(db), 1);
        QCOMPARE(test::readFile(runs).size(), 2);
        QStringList output;
        QCOMPARE(runDbCheck(m_path, &output, test::builtExporter()), 0); // the checker reads it, and writes nothing either
        QCOMPARE(test::listing(m_dir->path()), replaced);
    }

    void checkerReadsAccessFilesAsSqliteFiles()
    {
        const QStringList changes{"UPDATE \"Ladders\" SET \"3\" = 'H' WHERE \"Toonsoort\" = 'C'",
                                  "INSERT INTO \"chort-sort\" VALUES ('maj_3')"};
        const QString sqlitePath = test::writeDefaultDatabase(m_dir->filePath(QStringLiteral("music.sqlite")));
        test::editDatabase(sqlitePath, changes);
        test::writeAccessDatabase(m_path, changes);
        QStringList fromSqlite, fromAccess;
        QCOMPARE(runDbCheck(m_path, &fromAccess, test::builtExporter()), 1);
        QCOMPARE(runDbCheck(sqlitePath, &fromSqlite), 1);
        QVERIFY(!fromAccess.isEmpty());
        QCOMPARE(fromAccess, fromSqlite);

        for (const auto &[format, jet] : formats()) {
            test::writeAccessDatabase(m_path, {}, jet);
            QStringList clean;
            QCOMPARE(runDbCheck(m_path, &clean, test::builtExporter()), 0);
            QCOMPARE(clean, QStringList());
        }
    }

    // ---- Bad Access files

    void badAccessFileIsNamedAndTheBuiltInDataServes_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("cause");
        QTest::addColumn<Jet>("jet");
        const QList<std::pair<const char *, std::pair<const char *, const char *>>> cases{
            {"cut after its first pages", {"truncate 2", "cut short"}},
            {"last page missing", {"truncate -1", "should hold 26 records, and only 0 can be read"}},
            {"more records than claimed", {"claim 3", "should hold 3 records, and more can be read"}},
            {"cut inside a page", {"shorten 100", "cut short"}},
            {"catalogue overwritten", {"catalogue junk", "list of tables"}},
            {"unknown version", {"version 9", "version Velmora does not know (9)"}},
            {"cut before its version", {"keep 20", "cut short before its version"}},
            {"empty catalogue", {"no tables", "has no table \"Ladders\""}},
            {"definition outside the file", {"definition 60000", "definition of table \"Ladders\""}},
            {"usage map outside the file", {"usage map 60000", "damaged"}},
            {"too many fields", {"fields 4000", "more than Access allows"}},
            {"encrypted", {"encrypted", "encrypted"}},
        };
        for (const auto &[format, jet] : formats()) {
            for (const auto &[name, damage] : cases)
                QTest::newRow(QByteArray(format) + name) << damage.first << damage.second << jet;
        }
    }
    void badAccessFileIsNamedAndTheBuiltInDataServes()
    {
        QFETCH(QString, damage);
        QFETCH(QString, cause);
        QFETCH(Jet, jet);
        if (damage == QLatin1String("no tables")) {
            QVERIFY(!test::writeAccessFromSql(QStringLiteral("-- nothing\n"), m_path, jet).isEmpty());
        } else {
            test::writeAccessDatabase(m_path, {}, jet);
        }
        const qint64 size = QFileInfo(m_path).size();
        const Layout layout = layoutOf(jet);
        const qint64 pageSize = layout.page;
        const qint64 catalogueRows = 3 * pageSize, ladders = 4 * pageSize;
        const QString n = damage.section(QLatin1Char(' '), -1);
        if (damage.startsWith(QLatin1String("truncate"))) {
            QVERIFY(QFile::resize(m_path, n.toInt() > 0 ? n.toInt() * pageSize : size + n.toInt() * pageSize));
        } else if (damage.startsWith(QLatin1String("keep"))) {
            QVERIFY(QFile::resize(m_path, n.toInt()));
        } else if (damage.startsWith(QLatin1String("shorten"))) {
            QVERIFY(QFile::resize(m_path, size - n.toInt()));
        } else if (damage == QLatin1String("catalogue junk")) {
            test::patchFile(m_path, 2 * pageSize, QByteArray(pageSize, '\x5a'));
        } else if (damage.startsWith(QLatin1String("version"))) {
            test::patchFile(m_path, 0x14, QByteArray(1, char(n.toInt())));
        } else if (damage.startsWith(QLatin1String("definition"))) {
            // The first catalogue row ends the page: Id is its first fixed field, after the count.
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            file.seek(catalogueRows + layout.rowOffsets);
            const QByteArray offset = file.read(2);
            const int rowStart = (static_cast<unsigned char>(offset[0]) | static_cast<unsigned char>(offset[1]) << 8) & 0x1fff;
            file.close();
            test::patchFile(m_path, catalogueRows + rowStart + layout.countWidth, test::littleEndian(n.toUInt(), 4));
        } else if (damage.startsWith(QLatin1String("usage map"))) {
            test::patchFile(m_path, ladders + layout.usageMap, test::littleEndian(n.toUInt() << 8, 4));
        } else if (damage == QLatin1String("encrypted")) {
            // The key at 0x3E lies in the block masked with RC4; a byte flipped there flips the key.
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            file.seek(0x3E);
            const char key = file.read(1).at(0);
            file.close();
            test::patchFile(m_path, 0x3E, QByteArray(1, char(key ^ 0x5a)));
        } else if (damage.startsWith(QLatin1String("claim"))) {
            test::patchFile(m_path, ladders + layout.rowCount, test::littleEndian(n.toUInt(), 4));
        } else if (damage.startsWith(QLatin1String("fields"))) {
            const quint32 count = n.toUInt();
            test::patchFile(m_path, ladders + layout.fieldCount, test::littleEndian(count, 2));
        }
        test::expectNamedOnce(m_path, cause, 5000);
    }

    void exporterFailuresBecomeMessages_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("cause");
        QTest::newRow("crash") << QByteArray("echo 'libmdb: something broke' >&2; kill -SEGV $$") << "stopped on it, so the file is most likely damaged (mdbtools says: libmdb: something broke)";
        QTest::newRow("garbage") << QByteArray("printf 'hello'") << "garbled";
        QTest::newRow("stops halfway") << QByteArray("printf 'VELMORA-MDB 1\\nT\\001\\000'") << "cut short";
        QTest::newRow("endless output") << QByteArray("printf 'VELMORA-MDB 1\\n'; exec cat /dev/zero") << "far more than the file holds";
        // Far less than the absolute cap, and still far more than a small file can hold.
        QTest::newRow("output many times the file") << QByteArray("printf 'VELMORA-MDB 1\\n'; head -c 20000000 /dev/zero")
                                                    << "far more than the file holds";
        QTest::newRow("not there") << QByteArray() << "cannot be started";
        QTest::newRow("hangs") << QByteArray("exec sleep 30") << "took longer than 0.5 seconds";
        QTest::newRow("trickles") << QByteArray("printf 'VELMORA-MDB 1\\n'; while :; do printf x; sleep 0.01; done")
                                  << "took longer than 0.5 seconds";
        QTest::newRow("floods its standard error") << QByteArray("while :; do head -c 65536 /dev/zero >&2; done")
                                                   << "took longer than 0.5 seconds";
        // As libmdb gives a damaged definition: SQLite field names differ by more than case.
        QTest::newRow("two fields of one name")
            << QByteArray("printf 'VELMORA-MDB 1\\nT\\007\\000\\000\\000Ladders\\002\\000\\000\\000"
                          "\\001\\000\\000\\000a\\001\\000\\000\\000AEZ'")
            << "duplicate column name";
    }
    void exporterFailuresBecomeMessages()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, cause);
        test::writeAccessDatabase(m_path);
        const QString exporter = m_dir->filePath(QStringLiteral("exporter"));
        if (!script.isEmpty())
            writeScript(exporter, script);
        // Only the hanging exporter waits for its time, cut short here; the others end by themselves.
        const bool hangs = cause.startsWith(QLatin1String("took longer"));
        const test::Stopwatch clock;
        MusicDatabase db({exporter, hangs ? 500 : AccessReading().timeoutMs});
        const QString problem = MusicDatabase::toSay(db.open(m_path));
        if (hangs)
            QVERIFY2(clock.elapsed() < 3000, clock.said());
        QVERIFY2(problem.contains(cause), qPrintable(problem));
        QVERIFY(db.usingBuiltIn());
        QCOMPARE(chordKindCount(db), 28);
    }

    // A file that is slow to read, or that another program keeps saving while it is read, costs
    // the reader's time once; changed again, it is read again only once it has settled.
    void aCostlyFileIsPaidForOncePerChange_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("cause");
        QTest::newRow("slow") << QByteArray("exec sleep 30") << "took longer";
        QTest::newRow("saved over and over") << QByteArray("touch \"$1\"; sleep 0.05; exec \"$REAL\" \"$@\"") << "kept changing";
    }
    void aCostlyFileIsPaidForOncePerChange()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, cause);
        test::writeAccessDatabase(m_path);
        qputenv("REAL", exporterPath());
        QElapsedTimer clock;
        const auto pressCosts = [&](MusicDatabase &db, QString *message = nullptr) {
            clock.start();
            const Expected<MusicDatabase::Notice> check = db.refresh();
            if (message)
                *message = MusicDatabase::toSay(check);
            return clock.elapsed();
        };
        const auto touch = [&](int secondsAgo) {
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo), QFileDevice::FileModificationTime));
        };
        MusicDatabase db({writeScript(m_dir->filePath(QStringLiteral("exporter")), script), 1000});
        clock.start();
        QVERIFY2(MusicDatabase::toSay(db.open(m_path)).contains(cause), qPrintable(MusicDatabase::toSay(db.open(m_path))));
        QVERIFY(db.usingBuiltIn());
        QString message;
        touch(0); // changed, not yet settled
        for (int press = 0; press < 3; ++press) {
            QVERIFY(pressCosts(db, &message) < 200);
            QCOMPARE(message, QString());
        }
        touch(5); // left alone since
        QVERIFY(pressCosts(db, &message) < 1500); // one reading, within the deadline
        QVERIFY2(message.contains(cause), qPrintable(message));
        QVERIFY(db.usingBuiltIn());
        if (cause == QLatin1String("took longer"))
            QVERIFY(pressCosts(db) < 200); // unchanged since: not read again
    }

    // Access 2000 memo fields, as our generator writes a text over 255 characters: read whole up to
    // what libmdb hands over (7,000 characters lie on four LVAL pages), a longer one reported.
    void memoValuesAreReadWholeOrReported()
    {
        for (const int characters : {7000, 20000}) {
            test::writeAccessDatabase(m_path, {"ALTER TABLE \"Intervallen\" ADD COLUMN note TEXT",
                                               QStringLiteral("UPDATE \"Intervallen\" SET note = printf('%.*c', %1, 'm')").arg(characters)});
            MusicDatabase db(test::builtExporter());
            const QString problem = MusicDatabase::toSay(db.open(m_path));
            if (characters > 16 * 1024) {
                QVERIFY2(problem.contains(QLatin1String("field \"note\" holds a memo of 16 KB or more")), qPrintable(problem));
                QVERIFY(db.usingBuiltIn());
                continue;
            }
            QCOMPARE(problem, QString());
            RecordCursor intervals(db.connectionName(), tables::Intervals);
            const int count = *intervals.count();
            QCOMPARE(intervals.draw(count, 0)->field(QStringLiteral("note"))->size(), characters);
            QCOMPARE(intervals.draw(count, test::JustBelowOne)->field(QStringLiteral("note"))->size(), characters);
        }
    }

    // A file slow to read but readable: start-up spends only its share on it, with the built-in
    // data, and the first press reads the file.
    void aSlowFileIsReadAtTheFirstPressNotAtStartUp()
    {
        test::writeAccessDatabase(m_path, {"DELETE FROM \"chort-sort\" WHERE plugin <> 'maj_3'"});
        MusicDatabase db({writeScript(m_dir->filePath(QStringLiteral("exporter")), "sleep 2; exec '" + exporterPath() + "' \"$@\"")});
        const test::Stopwatch clock;
        QCOMPARE(MusicDatabase::toSay(db.open(m_path)), QString());
        QVERIFY2(clock.elapsed() < MusicDatabase::StartUpAccessBudget.count() + 500, clock.said());
        QCOMPARE(chordKindCount(db), 28);
        const Expected<MusicDatabase::Notice> press = db.refresh();
        QVERIFY(press.ok());
        QCOMPARE(MusicDatabase::toSay(press), QString());
        QCOMPARE(chordKindCount(db), 1);
    }

    // The exporter on its own, given files too short to hold a version: a message, not a read
    // past the end of what it read (which the sanitizer build would catch).
    void exporterRefusesAFileTooShortForItsVersion()
    {
        for (const int size : {0, 20, 21}) {
            QByteArray bytes = QByteArray("\0\x01\0\0Standard Jet DB\0").leftJustified(size, '\0').left(size);
            test::writeFile(m_path, bytes);
            QProcess exporter;
            exporter.start(test::builtExporter().exporter, {m_path, QStringLiteral("Ladders")});
            QVERIFY(exporter.waitForFinished(10000));
            QCOMPARE(exporter.exitCode(), 0);
            const QByteArray answer = exporter.readAllStandardOutput();
            QVERIFY2(answer.contains("cut short") || answer.contains("not an Access 97"), answer.constData());
        }
    }

    // Once it has read its file, the exporter can reach no network and write no file.
    void exporterRunsShutOff()
    {
        QProcess exporter;
        exporter.setWorkingDirectory(m_dir->path());
        exporter.start(test::builtExporter().exporter, {QStringLiteral("--sandbox-check")});
        QVERIFY(exporter.waitForFinished(10000));
#if defined(VELMORA_COVERAGE)
        const QString newFile = QStringLiteral("new file allowed"); // for the coverage counts
#else
        const QString newFile = QStringLiteral("new file refused");
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
#endif
        QCOMPARE(QString::fromUtf8(exporter.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 (QStringList{"network refused", "local socket refused", newFile, "reading allowed"}));
    }

    // A whole answer stands though the exporter fails as it ends (a leak report, a crash in cleanup).
    void wholeAnswerStandsThoughTheExporterFailsAtItsEnd()
    {
        test::writeAccessDatabase(m_path, {"DELETE FROM \"chort-sort\" WHERE plugin <> 'maj_3'"});
        MusicDatabase db({writeScript(m_dir->filePath(QStringLiteral("exporter")), "'" + exporterPath() + "' \"$@\"; kill -SEGV $$")});
        QCOMPARE(MusicDatabase::toSay(db.open(m_path)), QString());
        QVERIFY(!db.usingBuiltIn());
        QCOMPARE(chordKindCount(db), 1);
    }
};

QTEST_GUILESS_MAIN(TestAccess)
#include "tst_access.moc"
