#include "dbcheck/dbcheck.h"
#include "dbcheck/musictheory.h"
#include "testdata.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <QTest>

#include <cstdio>

#include <sys/stat.h>

using namespace velmora;

class TestDbCheck : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    void edit(const QString &sql) { test::editDatabase(m_path, {sql}); }

private slots:
    void init() { m_path = test::writeDefaultDatabase(m_dir.filePath(QStringLiteral("music.sqlite"))); }

    void theoryAgreesWithTextbookSpellings_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("degree");
        QTest::addColumn<QString>("spelling");
        QTest::newRow("sixth of C") << "C" << "6" << "A";
        QTest::newRow("raised fifth of C#") << "C#" << "+5" << "Gx";
        QTest::newRow("diminished seventh of Cb") << "Cb" << "bb7" << "Bbbb";
        QTest::newRow("raised eleventh of F#") << "F#" << "+11" << "B#";
        QTest::newRow("minor ninth of Gb") << "Gb" << "b9" << "Abb";
    }
    void theoryAgreesWithTextbookSpellings()
    {
        QFETCH(QString, key);
        QFETCH(QString, degree);
        QFETCH(QString, spelling);
        QCOMPARE(theory::degreeSpelling(key, degree), spelling);
    }

    void intervalCompletion()
    {
        QCOMPARE(theory::intervalCompletion(u"C", u"Minor Third", u"down"), QStringLiteral("A"));
        QCOMPARE(theory::intervalCompletion(u"E", u"Major Seventh", u"up"), QStringLiteral("D#"));
        QCOMPARE(theory::intervalCompletion(u"Cb", u"Minor Second", u"up"), QStringLiteral("Dbb"));
        QCOMPARE(theory::intervalCompletion(u"C", u"Octave", u"sideways"), std::nullopt);
    }

    void builtInDataIsClean()
    {
        QStringList output;
        QCOMPARE(runDbCheck(QString(), &output), 0);
        QVERIFY2(output.isEmpty(), qPrintable(output.join(QLatin1Char('\n'))));
        QCOMPARE(runDbCheck(m_path, &output), 0);
    }

    void findsProblems_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("line");
        QTest::newRow("misspelt degree")
            << "UPDATE \"Ladders\" SET \"+5\" = 'Ab' WHERE \"Toonsoort\" = 'C'"
            << "Ladders, record 1 (\"C\"), field \"+5\": \"Ab\" should be \"G#\"";
        QTest::newRow("wrong interval")
            << "UPDATE \"Intervallen\" SET \"Top\" = '3' WHERE \"Interval_uk\" = 'Minor Third' AND \"direction\" = 'up'"
            << "Intervallen, record 7 (\"Minor Third up\"), field \"Top\": in key \"C\" field \"3\" gives \"E\", but the interval ends on \"Eb\"";
        QTest::newRow("unanswerable transposition")
            << "UPDATE \"Ladders\" SET \"Toonsoort\" = 'G#', \"1\" = 'G#', \"6\" = 'E#' WHERE \"Toonsoort\" = 'Ab'"
            << "Ladders, record 12 (\"G#\"), field \"Toonsoort\": \"G#\" is not one of the 15 major keys C D E F G A B C# Cb Db Eb F# Gb Ab Bb";
        QTest::newRow("unanswerable interval")
            << "INSERT INTO \"Intervallen\" VALUES ('Augmented Fifth', '+5', 'up')"
            << "Intervallen, record 27 (\"Augmented Fifth up\"), field \"Top\": in key \"C#\" the answer \"Gx\" has no interval button";
        QTest::newRow("code without a button") << "INSERT INTO \"chort-sort\" VALUES ('maj7_en13')"
                                                << "chort-sort, record 29 (\"maj7_en13\"), field \"plugin\": \"maj7_en13\" is not a chord kind that can be built and answered";
        QTest::newRow("only extended chords") << "DELETE FROM \"chort-sort\" WHERE \"plugin\" NOT LIKE '%9'"
                                               << "chort-sort: no triad or seventh chord, so nothing can be asked with \"  9, 11, 13 excluded\" ticked";
        QTest::newRow("missing interval name") << "DELETE FROM \"Intervallen\" WHERE \"Interval_uk\" = 'Octave'"
                                                << "Intervallen: no record for \"Octave\"";
        QTest::newRow("missing field") << "ALTER TABLE \"Ladders\" DROP COLUMN \"b13\""
                                        << "Table \"Ladders\" has no field \"b13\".";
    }
    void findsProblems()
    {
        QFETCH(QString, change);
        QFETCH(QString, line);
        edit(change);
        QStringList output;
        QCOMPARE(runDbCheck(m_path, &output), 1);
        QVERIFY2(output.contains(line), qPrintable(output.join(QLatin1Char('\n'))));
    }

    void repeatedProblemIsReportedOnceWithItsCount()
    {
        edit(QStringLiteral("UPDATE \"Ladders\" SET \"+5\" = 'Ab' WHERE \"Toonsoort\" = 'C'"));
        edit(QStringLiteral("INSERT INTO \"Ladders\" SELECT * FROM \"Ladders\" WHERE \"Toonsoort\" IN ('C', 'C', 'G')"));
        edit(QStringLiteral("INSERT INTO \"Ladders\" SELECT * FROM \"Ladders\" WHERE \"Toonsoort\" = 'C'"));
        QStringList output;
        QCOMPARE(runDbCheck(m_path, &output), 1);
        const QString report = output.join(QLatin1Char('\n'));
        QCOMPARE(output.filter(QStringLiteral("\"+5\"")),
                 QStringList{"Ladders, record 1 (\"C\"), field \"+5\": \"Ab\" should be \"G#\" (and in 3 more records like it)"});
        QVERIFY2(output.contains(QStringLiteral("Ladders, record 1 (\"C\"), field \"Toonsoort\": the key is stored 4 times")), qPrintable(report));
        QVERIFY2(output.contains(QStringLiteral("Ladders, record 2 (\"G\"), field \"Toonsoort\": the key is stored twice")), qPrintable(report));
        QCOMPARE(output.size(), 3);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("standardOutput"); // a line it holds
        QTest::addColumn<QString>("standardError");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: " << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "velmora-dbcheck " VELMORA_VERSION << "";
        QTest::newRow("built-in data") << QStringList{"--builtin"} << 0 << "built-in data: no problems found" << "";
        QTest::newRow("what Velmora would use") << QStringList{} << 1 << "checking Chords-VB.mdb"
                                                 << "field \"5\": \"Gb\" should be \"G\"";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << "" << "Unknown option";
        QTest::newRow("two files") << QStringList{"a", "b"} << 2 << "" << "give one FILE";
        QTest::newRow("no such file") << QStringList{"absent"} << 2 << "" << "absent: cannot be used";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, standardOutput);
        QFETCH(QString, standardError);
        // Velmora's file in the working directory, one degree misspelt.
        QTemporaryDir work;
        const QString own = test::writeDefaultDatabase(work.filePath(QStringLiteral("Chords-VB.mdb")));
        test::editDatabase(own, {"UPDATE \"Ladders\" SET \"5\" = 'Gb' WHERE \"Toonsoort\" = 'C'"});
        QProcess process;
        process.setWorkingDirectory(work.path());
        process.start(QStringLiteral(VELMORA_DBCHECK), arguments);
        QVERIFY(process.waitForFinished(30000));
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitCode(), exitCode);
        QVERIFY2(out.contains(standardOutput), qPrintable(out));
        QVERIFY2(err.contains(standardError), qPrintable(err));
        if (exitCode == 1 && !standardOutput.isEmpty())
            QVERIFY2(!out.contains(QLatin1String("should be")), "problems go to standard error");
    }

    // Names are bytes: a file in a directory whose name is not UTF-8, a file so named itself, and
    // one that cannot be read, named as a person reads the name.
    void commandReadsNamesThatAreNotUtf8()
    {
        QTemporaryDir work;
        const QByteArray odd = QFile::encodeName(work.path()) + "/\xff\xfe";
        QCOMPARE(::mkdir(odd.constData(), 0700), 0);
        const QString made = work.filePath(QStringLiteral("made.sqlite"));
        for (const QByteArray &name : {odd + "/Chords-VB.mdb", odd + "/\xfd.mdb", odd + "/garbage"}) {
            if (name.endsWith("garbage")) {
                test::writeFile(made, "not a database");
            } else {
                test::writeDefaultDatabase(made);
                test::editDatabase(made, {"UPDATE \"Ladders\" SET \"9\" = 'Ebb' WHERE \"Toonsoort\" = 'C'"});
            }
            QCOMPARE(::rename(QFile::encodeName(made).constData(), name.constData()), 0);
            qputenv("VELMORA_ODD_NAME", name);
            QProcess process;
            process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$VELMORA_ODD_NAME\""),
                                                      QStringLiteral(VELMORA_DBCHECK)});
            QVERIFY(process.waitForFinished(30000));
            const QString err = QString::fromUtf8(process.readAllStandardError());
            if (name.endsWith("garbage")) {
                QCOMPARE(process.exitCode(), 2);
                QVERIFY2(err.contains(QFile::decodeName(name) + QStringLiteral(": cannot be used: ")), qPrintable(err));
            } else {
                QCOMPARE(process.exitCode(), 1);
                QVERIFY2(err.contains(QLatin1String("field \"9\": \"Ebb\" should be \"D\"")), qPrintable(err));
            }
        }
        qunsetenv("VELMORA_ODD_NAME");
    }
};

QTEST_GUILESS_MAIN(TestDbCheck)
#include "tst_dbcheck.moc"
