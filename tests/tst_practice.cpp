// What a player chooses to drill, and the score, below the window.
#include "exercises/chords/chordquestion.h"
#include "exercises/intervals/intervals.h"
#include "music/musicdatabase.h"
#include "music/random.h"
#include "practice/score.h"

#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestPractice)
#include "tst_practice.moc"
