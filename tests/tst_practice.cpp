// What a player chooses to drill, and the score, below the window.
#include "exercises/chords/chordquestion.h"
#include "exercises/intervals/intervals.h"
#include "music/musicdatabase.h"
#include "music/random.h"
#include "practice/progressstore.h"
#include "practice/score.h"
#include "practice/weakspots.h"
#include "testdata.h"

#include <QDir>
#include <QProcess>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

#include <map>

using namespace velmora;

namespace {

ValueChoice choiceOf(const QStringList &values)
{
    return values.isEmpty() ? ValueChoice() : ValueChoice::only({values.begin(), values.end()});
}

} // namespace

class TestPractice : public QObject
{
    Q_OBJECT

    MusicDatabase m_data;

private slots:
    void initTestCase() { m_data.open(QString()); }

    // Over the built-in data (the 15 keys once each, every chord kind once).
    void drawsKeepToTheChoice_data()
    {
        QTest::addColumn<QStringList>("keys");  // empty: every key
        QTest::addColumn<QStringList>("kinds"); // empty: every kind
        QTest::addColumn<bool>("excludeExtended");
        QTest::addColumn<QStringList>("drawnKeys"); // each about equally often; empty: not looked at
        QTest::addColumn<QStringList>("drawnKinds");
        QTest::addColumn<QString>("failure");
        QTest::newRow("two keys") << QStringList{"C", "G"} << QStringList() << false << QStringList{"C", "G"} << QStringList() << "";
        QTest::newRow("a key the file lost") << QStringList{"F", "H"} << QStringList{"maj_3"} << false << QStringList{"F"}
                                             << QStringList{"maj_3"} << "";
        QTest::newRow("kinds, the excluded ones left out")
            << QStringList() << QStringList{"maj_3", "dom_7", "dom_9"} << true << QStringList() << QStringList{"maj_3", "dom_7"} << "";
        QTest::newRow("no key left") << QStringList{"H"} << QStringList() << false << QStringList() << QStringList()
                                     << noChosenKeyMessage(tables::Ladders);
        QTest::newRow("every kind chosen excluded") << QStringList() << QStringList{"maj_9"} << true << QStringList()
                                                    << QStringList() << "9, 11, 13 excluded";
    }
    void drawsKeepToTheChoice()
    {
        QFETCH(QStringList, keys);
        QFETCH(QStringList, kinds);
        QFETCH(bool, excludeExtended);
        QFETCH(QStringList, drawnKeys);
        QFETCH(QStringList, drawnKinds);
        QFETCH(QString, failure);
        RecordCursor ladders(m_data.connectionName(), tables::Ladders);
        RecordCursor chordKinds(m_data.connectionName(), tables::ChordKinds);
        SeededRandom random(11);
        const ChordOptions options{excludeExtended, false, choiceOf(keys), choiceOf(kinds)};
        const int draws = 600;
        std::map<QString, int> seenKeys, seenKinds;
        for (int i = 0; i < draws; ++i) {
            const Expected<ChordQuestion> question = drawChordQuestion(ladders, chordKinds, random, options, {});
            if (!failure.isEmpty()) {
                QVERIFY2(!question && question.error().contains(failure), qPrintable(question.error()));
                return;
            }
            QVERIFY2(question, qPrintable(question.error()));
            ++seenKeys[question->key];
            ++seenKinds[question->kind];
        }
        for (const auto &[expected, seen] : {std::pair{drawnKeys, seenKeys}, std::pair{drawnKinds, seenKinds}}) {
            if (expected.isEmpty())
                continue;
            QCOMPARE(int(seen.size()), int(expected.size()));
            for (const QString &value : expected)
                QVERIFY2(seen.count(value) && seen.at(value) > draws / expected.size() * 3 / 4, qPrintable(value));
        }
    }

    // Every value chosen one by one draws what no choice draws, from the same random values: one
    // value a draw, uniform over what is let through.
    void aFullChoiceDrawsAsNoChoice()
    {
        RecordCursor ladders(m_data.connectionName(), tables::Ladders);
        RecordCursor intervals(m_data.connectionName(), tables::Intervals);
        const ValueChoice every = choiceOf(keysByFifths());
        SeededRandom plain(5), chosen(5);
        IntervalSelection ticked;
        ticked.fill(true);
        ticked[0] = false; // the intervals' own redraw, as well
        for (int i = 0; i < 200; ++i) {
            const Expected<IntervalQuestion> a = drawIntervalQuestion(ladders, intervals, plain, ticked);
            const Expected<IntervalQuestion> b = drawIntervalQuestion(ladders, intervals, chosen, ticked, every);
            QVERIFY(a && b);
            QCOMPARE(b->startNote + b->interval + b->direction, a->startNote + a->interval + a->direction);
        }
    }

    // a: a question asked, r/w: an answer right or wrong, v: revealed, n: a press that shows no
    // question, x: reset.
    void scoreCountsFirstTries_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QList<int>>("expected"); // asked, right at the first try, run, best run
        QTest::newRow("only the first answer counts") << "a w r a r r w" << QList<int>{2, 1, 1, 1};
        QTest::newRow("revealed before answering is missed") << "a r a v r" << QList<int>{2, 1, 0, 1};
        QTest::newRow("revealed after answering changes nothing") << "a r v" << QList<int>{1, 1, 1, 1};
        QTest::newRow("runs and the best") << "a r a r a w a r" << QList<int>{4, 3, 1, 2};
        QTest::newRow("no question, nothing counted") << "a n r" << QList<int>{1, 0, 0, 0};
        QTest::newRow("reset keeps the open question") << "a r a x r" << QList<int>{1, 1, 1, 1};
    }
    void scoreCountsFirstTries()
    {
        QFETCH(QString, events);
        QFETCH(QList<int>, expected);
        Score score;
        for (const QString &event : events.split(QLatin1Char(' '))) {
            switch (event.at(0).unicode()) {
            case 'a': score.questionAsked(); break;
            case 'n': score.noQuestion(); break;
            case 'v': score.revealed(); break;
            case 'x': score.reset(); break;
            default: score.answered(event == QLatin1String("r"));
            }
        }
        QCOMPARE((QList<int>{score.asked(), score.rightAtFirstTry(), score.run(), score.bestRun()}), expected);
        if (QByteArray(QTest::currentDataTag()) == "runs and the best")
            QCOMPARE(score.line(QStringLiteral("Chords")), QStringLiteral("Chords: 3 of 4 right at the first try - 1 in a row (best 2)"));
    }

    // A question missed at its first try comes back 2, 4 and 8 questions later; m: a miss, r: a
    // first-try right, each a question of the tab asked in between ("." one of another question).
    void weakSpotsBringMissesBack_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QList<int>>("dueAfter"); // questions asked when it is next due; -1: never
        QTest::addColumn<int>("box");
        QTest::newRow("missed: due 2 later") << "m" << QList<int>{3} << 1;
        QTest::newRow("right when due: 4 later") << "m . . r" << QList<int>{8} << 2;
        QTest::newRow("right at 8: done") << "m . . r . . . . r . . . . . . . . r" << QList<int>{-1} << 4;
        QTest::newRow("a miss at 4 starts again at 2") << "m . . r . . . . m" << QList<int>{11} << 1;
    }
    void weakSpotsBringMissesBack()
    {
        QFETCH(QString, events);
        QFETCH(QList<int>, dueAfter);
        QFETCH(int, box);
        WeakSpots spots;
        const QuestionCell question{QStringLiteral("Db"), QStringLiteral("dom7_b5")};
        for (const QString &event : events.split(QLatin1Char(' '))) {
            spots.asked(QStringLiteral("Chords"));
            if (event != QLatin1String("."))
                spots.firstTry(QStringLiteral("Chords"), question, event == QLatin1String("r"));
        }
        const auto any = [](const QuestionCell &) { return true; };
        int asked = spots.askedOn(QStringLiteral("Chords"));
        while (!spots.due(QStringLiteral("Chords"), any) && asked < 40) {
            spots.asked(QStringLiteral("Chords"));
            ++asked;
        }
        QCOMPARE(spots.due(QStringLiteral("Chords"), any) ? asked : -1, dueAfter.first());
        QCOMPARE(spots.box(QStringLiteral("Chords"), question), box);
        // One the choice no longer allows waits, whatever is due.
        QVERIFY(!spots.due(QStringLiteral("Chords"), [](const QuestionCell &) { return false; }));
    }

    // The weighted draw: box 1 sixteen times as likely as box 5, a question never asked (box 2)
    // eight times; the question due is asked without a random value.
    void weakSpotDrawFollowsTheBoxes()
    {
        WeakSpots spots;
        const QString tab = QStringLiteral("Relations");
        spots.firstTry(tab, {QStringLiteral("C"), QStringLiteral("major")}, false); // box 1
        for (int i = 0; i < 3; ++i)
            spots.firstTry(tab, {QStringLiteral("G"), QStringLiteral("major")}, true); // box 5
        const std::vector<RecordCursor::Group> rows{{{"C"}, 1}, {{"G"}, 1}, {{"D"}, 1}};
        WeakSpotPick pick{std::nullopt, [&](const QuestionCell &cell) { return spots.weight(tab, cell); }};
        SeededRandom random(3);
        std::map<int, int> drawn;
        for (int i = 0; i < 5000; ++i)
            ++drawn[pickCell(rows, {{QStringLiteral("major")}}, pick, random).row];
        QVERIFY2(drawn[0] > 2900 && drawn[0] < 3300 && drawn[1] > 120 && drawn[1] < 260 && drawn[2] > 1450 && drawn[2] < 1750,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(drawn[0]).arg(drawn[1]).arg(drawn[2])));
        pick.due = QuestionCell{QStringLiteral("G"), QStringLiteral("major")};
        const PickedCell due = pickCell(rows, {{QStringLiteral("major")}}, pick, random);
        QVERIFY(due.row == 1 && !due.drawn);
    }

    // A program killed while it keeps answers loses at most the one being written; two programs
    // keeping into one file at once lose none of either's.
    void answersSurviveAKillAndASecondWriter()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        QProcess writers[2];
        for (QProcess &writer : writers) {
            writer.start(QStringLiteral(PROGRESS_WRITER), {path});
            QVERIFY(writer.waitForStarted() && writer.waitForReadyRead(10000)); // the file made, the second opens it
        }
        int said[2] = {0, 0};
        const auto read = [&] {
            for (int w = 0; w < 2; ++w) {
                for (const QByteArray &line : writers[w].readAllStandardOutput().split('\n'))
                    said[w] = std::max(said[w], line.toInt());
            }
        };
        const test::Stopwatch clock;
        while ((said[0] < 300 || said[1] < 300) && clock.elapsed() < 20000) {
            for (QProcess &writer : writers)
                writer.waitForReadyRead(5);
            read();
        }
        for (QProcess &writer : writers) {
            ::kill(pid_t(writer.processId()), SIGKILL);
            writer.waitForFinished();
        }
        read();
        QVERIFY2(said[0] >= 300 && said[1] >= 300, qPrintable(QStringLiteral("%1 and %2").arg(said[0]).arg(said[1])));
        ProgressStore store;
        QCOMPARE(store.open(path), QString());
        const int kept = store.figures(QStringLiteral("Chords"), {}).value({QStringLiteral("C"), QStringLiteral("maj_3")}).asked;
        QVERIFY2(kept >= said[0] + said[1] && kept <= said[0] + said[1] + 2,
                 qPrintable(QStringLiteral("%1 kept, %2 + %3 said").arg(kept).arg(said[0]).arg(said[1])));
    }

    // A progress file that cannot be used is named and left as it was; a damaged one is moved aside.
    void unusableProgressFilesAreLeftAlone_data()
    {
        QTest::addColumn<QStringList>("make"); // sqlite3 statements; "!" marks a file made otherwise
        QTest::addColumn<QString>("reason");
        QTest::newRow("not SQLite") << QStringList{"!text"} << "not an SQLite file";
        QTest::newRow("a folder") << QStringList{"!folder"} << "not a plain file";
        QTest::newRow("a pipe") << QStringList{"!pipe"} << "not a plain file";
        QTest::newRow("a link") << QStringList{"!link"} << "not a plain file";
        QTest::newRow("over 256 MB") << QStringList{"!huge"} << "larger than 256 MB";
        QTest::newRow("damaged") << QStringList{"!damaged"} << "moved aside";
        QTest::newRow("another program's") << QStringList{"CREATE TABLE scores(x)"} << "another program's tables";
        QTest::newRow("a view added") << QStringList{"+CREATE VIEW v AS SELECT 1"} << "another program's tables";
        QTest::newRow("a trigger added")
            << QStringList{"+CREATE TRIGGER t AFTER INSERT ON answers BEGIN DELETE FROM answers; END"} << "another program's tables";
        QTest::newRow("a virtual table added") << QStringList{"+CREATE VIRTUAL TABLE r USING rtree(id, a, b)"} << "another program's tables";
        QTest::newRow("a newer version") << QStringList{"+PRAGMA user_version = 2"} << "newer Velmora";
    }
    void unusableProgressFilesAreLeftAlone()
    {
        QFETCH(QStringList, make);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        const QString kind = make.first();
        if (kind.startsWith(QLatin1Char('+'))) { // our own file, changed by another program
            ProgressStore().open(path);
            test::editDatabase(path, {kind.mid(1)});
        } else if (kind == QLatin1String("!text")) {
            test::writeFile(path, "not a database");
        } else if (kind == QLatin1String("!folder")) {
            QDir(dir.path()).mkdir(QStringLiteral("progress.sqlite"));
        } else if (kind == QLatin1String("!pipe")) {
            QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        } else if (kind == QLatin1String("!link")) {
            ProgressStore().open(dir.filePath(QStringLiteral("elsewhere.sqlite")));
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("elsewhere.sqlite")), path));
        } else if (kind == QLatin1String("!huge")) {
            ProgressStore().open(path);
            QVERIFY(QFile::resize(path, ProgressStore::MaxBytes + 4096));
        } else if (kind == QLatin1String("!damaged")) {
            ProgressStore().open(path);
            test::patchFile(path, 100, QByteArray(3900, '\xA5')); // the first page's cells
        } else {
            test::writeDefaultDatabase(path);
            test::editDatabase(path, {QStringLiteral("DROP TABLE \"Ladders\""), kind});
        }
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        ProgressStore store;
        const QString said = store.open(path);
        QVERIFY2(said.contains(reason), qPrintable(said));
        QVERIFY(!store.isOpen());
        const QStringList after = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        if (reason == QLatin1String("moved aside"))
            QVERIFY(!after.contains(QStringLiteral("progress.sqlite")) && !after.filter(QStringLiteral("progress-damaged-")).isEmpty());
        else
            QCOMPARE(after, before);
    }
};

QTEST_GUILESS_MAIN(TestPractice)
#include "tst_practice.moc"
