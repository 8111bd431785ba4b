#include "exercises/chords/chordquestion.h"
#include "exercises/intervals/intervals.h"
#include "music/notename.h"
#include "exercises/relations/relations.h"
#include "exercises/relations/relationspage.h"
#include "exercises/intervals/intervalspage.h"
#include "testsupport.h"
#include "ui/pitchbuttons.h"
#include "practice/progressstore.h"
#include "ui/accessibility.h"
#include "ui/keyboard.h"

#include <QApplication>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QTableWidget>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <functional>
#include <optional>

using namespace velmora;
using test::Correct;
using test::Harness;
using test::Incorrect;

namespace {

QString onlyKey(const QString &key)
{
    return QStringLiteral("DELETE FROM \"Ladders\" WHERE \"Toonsoort\" <> '%1'").arg(key);
}

QString onlyChordKinds(const QString &codes)
{
    return QStringLiteral("DELETE FROM \"chort-sort\"; INSERT INTO \"chort-sort\" VALUES %1").arg(codes);
}

QStringList split(const QString &statements)
{
    return statements.split(QStringLiteral("; "));
}

// A value of the test's database, read the way a person checking the data would.
QString scaleField(const QString &path, const QString &key, const QString &field)
{
    QString value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT \"%1\" FROM \"Ladders\" WHERE \"Toonsoort\" = ?").arg(field));
        query.addBindValue(key);
        query.exec();
        query.next();
        value = query.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
    return value;
}

void tickIntervals(Harness &h, const QStringList &ticked)
{
    for (int n = 0; n < IntervalChoiceCount; ++n)
        h.find<QCheckBox>(IntervalsPage::choiceBoxName(n))->setChecked(ticked.contains(IntervalsPage::choiceBoxName(n)));
}

// Every answer button of a tab that reports correct for the question on screen.
QStringList rightButtons(Harness &h, const QStringList &buttons)
{
    QStringList right;
    for (const QString &button : buttons) {
        h.click(button);
        if (h.status() == Correct)
            right << button;
    }
    return right;
}

QStringList pitchButtons(const char *prefix)
{
    QStringList names;
    for (int i = 0; i < int(pitchClassAnswers().size()); ++i)
        names << pitchButtonName(prefix, i);
    return names;
}

QStringList relationsButtonNames()
{
    QStringList names;
    for (const RelationsAnswer &answer : relationsAnswers())
        names << RelationsPage::answerButtonName(QString::fromLatin1(answer.answer));
    return names;
}

// One exercise tab as a test drives it: ask, give the right answer, read the cheat.
struct Tab
{
    const char *name;
    std::function<void(Harness &)> ask;
    std::function<QString(Harness &)> answerShown; // through the tab's cheat
    std::function<void(Harness &, const QString &)> answer;
};

const std::array<Tab, 4> &tabs()
{
    static const std::array<Tab, 4> all{{
        {"Chords", [](Harness &h) { h.click("Command1"); },
         [](Harness &h) {
             h.click("Command25");
             return h.find("Label1")->isHidden() ? QString() : h.text("Label1");
         },
         [](Harness &h, const QString &shown) {
             const auto [key, code] = test::splitChordAnswer(shown);
             h.click(test::keyButtonFor(key));
             h.click(test::chordButtonFor(code));
         }},
        {"Relations", [](Harness &h) { h.click("Command32"); },
         [](Harness &h) {
             h.click("Cheat_button2");
             return h.text("Label14");
         },
         [](Harness &h, const QString &shown) { h.click(test::relationsButtonFor(shown)); }},
        {"Transpose", [](Harness &h) { h.click("Command33"); },
         [](Harness &h) {
             h.click("Cheat_button");
             return h.text("Label13");
         },
         [](Harness &h, const QString &shown) { h.click(test::buttonAccepting(shown, "Play_")); }},
        {"Intervals", [](Harness &h) { h.click("Command34"); },
         [](Harness &h) {
             h.click("Int_cheat");
             return h.text("Label7");
         },
         [](Harness &h, const QString &shown) { h.click(test::buttonAccepting(shown, "Int_")); }},
    }};
    return all;
}

// One row for each exercise tab, in column "tab".
void addTabRows()
{
    QTest::addColumn<int>("tab");
    for (int tab = 0; tab < int(tabs().size()); ++tab)
        QTest::newRow(tabs()[tab].name) << tab;
}

} // namespace

class TestExercises : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    // A harness on a copy of the built-in data, changed by the statements first.
    std::unique_ptr<Harness> harness(const QStringList &changes = {}, bool cheatMode = true, std::uint64_t seed = 7)
    {
        test::editDatabase(m_path, changes);
        return std::make_unique<Harness>(cheatMode, m_path, seed);
    }

private slots:
    void init() { m_path = test::writeDefaultDatabase(m_dir.filePath(QStringLiteral("music.sqlite"))); }

    void unusableDatabaseIsReportedOnceAndTheBuiltInDataServes()
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("Standard Jet DB, or so it says");
        file.close();
        Harness h(false, m_path);
        QCOMPARE(h.prompter.messages.size(), 1);
        QVERIFY(h.prompter.messages.first().contains(m_path));
        h.click("Command32");
        QVERIFY(h.text("Question_box").endsWith(QLatin1String(" maj")) || h.text("Question_box").endsWith(QLatin1String(" min")));
        QCOMPARE(h.prompter.messages.size(), 1);
    }

    // ---- Chords

    void chordQuestionIsAnsweredByKeyAndKind()
    {
        auto h = harness();
        for (int round = 0; round < 20; ++round) {
            h->click("Command1");
            const auto [key, code] = test::splitChordAnswer(h->text("Label1"));
            QVERIFY2(!key.isEmpty(), qPrintable(h->text("Label1")));
            QVERIFY(h->text("Text1").startsWith(scaleField(m_path, key, "1") + QStringLiteral("  ")));
            h->click(test::keyButtonFor(key));
            h->click(code == QLatin1String("maj_3") ? "Command3" : "Command2");
            QCOMPARE(h->status(), Incorrect);
            h->click(test::chordButtonFor(code));
            if (code == QLatin1String("dom13_b5")) {
                QCOMPARE(h->prompter.messages.last(), QStringLiteral("goed"));
                QCOMPARE(h->status(), Incorrect);
            } else {
                QCOMPARE(h->status(), Correct);
            }
        }
    }

    void triadInCListsItsNotesAndAnUnknownKindKeepsIt()
    {
        auto h = harness(split(onlyKey("C") + QStringLiteral("; ") + onlyChordKinds("('maj_3')")));
        h->click("Command1");
        QCOMPARE(h->text("Text1"), QStringLiteral("C  E  G        "));
        QCOMPARE(h->text("Label1"), QStringLiteral("Cmaj_3"));
        h->find<QCheckBox>("viewtext")->setChecked(false);
        QCOMPARE(h->text("Text1"), QStringLiteral("C  E  G        ")); // read at the press only
        h->click("Command1");
        QCOMPARE(h->text("Text1"), QStringLiteral("Uitgeschakeld"));

        // A kind without a builder says so, and the chord drawn stays.
        h->find<QCheckBox>("viewtext")->setChecked(true);
        h->click("Command1");
        test::editDatabase(m_path, split(onlyChordKinds("('maj7_en13')")));
        h->click("Play_C");
        h->click("Command1");
        QCOMPARE(h->prompter.messages, QStringList{"geen verwijzing!"});
        QCOMPARE(h->status(), QString());
        QCOMPARE(h->text("Label1"), QStringLiteral("Cmaj7_en13"));
        QCOMPARE(h->text("Text1"), QStringLiteral("C  E  G        "));
    }

    void enharmonicKeyIsWrong()
    {
        auto h = harness(split(onlyKey("Db") + QStringLiteral("; ") + onlyChordKinds("('dom_7')")));
        h->click("Command1");
        h->click("Option_Cis");
        h->click("Command12");
        QCOMPARE(h->status(), Incorrect);
        h->click("Option_Db");
        h->click("Command12");
        QCOMPARE(h->status(), Correct);
    }

    void everyChordButtonIsWrongBeforeTheFirstQuestion()
    {
        auto h = harness();
        for (const ChordAnswer &answer : chordAnswers()) {
            h->find<QLabel>("Label20")->clear();
            h->click(test::chordButtonFor(QLatin1String(answer.code)));
            if (answer.enabled)
                QCOMPARE(h->status(), Incorrect);
        }
        QVERIFY(h->prompter.messages.isEmpty());
    }

    void threeNotesAfterSevenLeaveNothingBehind()
    {
        auto h = harness(split(onlyKey("Cb") + QStringLiteral("; ") + onlyChordKinds("('min_13')")));
        h->click("Command1");
        for (int head = 1; head <= 7; ++head)
            QVERIFY(!h->find(QStringLiteral("noot%1").arg(head))->isHidden());
        test::editDatabase(m_path, split(onlyChordKinds("('dim_7')")));
        h->click("Command1");
        QCOMPARE(h->text("Text1"), QStringLiteral("Cb  Ebb  Gbb  Bbbb      "));
        QVERIFY(!h->find("noot4_bbb")->isHidden()); // the triple flat shows its sign
        for (int head = 5; head <= 7; ++head)
            QVERIFY(h->find(QStringLiteral("noot%1").arg(head))->isHidden());
        const auto signs = h->find("Picture1")->findChildren<QLabel *>();
        for (QLabel *sign : signs) {
            if (!sign->isHidden())
                QVERIFY2(QStringList({"b_noot1", "noot2_bb", "noot3_bb", "noot4_bbb"}).contains(sign->objectName()),
                         qPrintable(sign->objectName()));
        }
    }

    // ---- Intervals

    // Only what is ticked is asked: the one name left, or every name but the one unticked.
    void tickedIntervalsAreAsked_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("alone"); // the only box ticked, else the only one not ticked
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("caption");
        QTest::newRow("only Octave") << "Chk_8" << true << "Octave" << "Octave";
        QTest::newRow("all but Fifth") << "Chk_5" << false << "Perfect Fifth" << "Fifth";
    }
    void tickedIntervalsAreAsked()
    {
        QFETCH(QString, box);
        QFETCH(bool, alone);
        QFETCH(QString, interval);
        QFETCH(QString, caption);
        auto h = harness();
        QCOMPARE(h->find<QCheckBox>(box)->text(), caption);
        QStringList ticked;
        for (int n = 0; n < IntervalChoiceCount; ++n) {
            if ((IntervalsPage::choiceBoxName(n) == box) == alone)
                ticked << IntervalsPage::choiceBoxName(n);
        }
        tickIntervals(*h, ticked);
        for (int round = 0; round < 100; ++round) {
            h->click("Command34");
            QCOMPARE(h->text("Int_val") == interval, alone);
            if (alone)
                QCOMPARE(h->text("Int_Start"), h->text("Label7"));
        }
    }

    void noBoxTickedSaysSoOnce()
    {
        auto h = harness();
        tickIntervals(*h, {});
        h->click("Command34");
        QCOMPARE(h->prompter.messages, QStringList{"No Intervalls selected!"});
        QCOMPARE(h->find("Command34")->accessibleDescription(), h->prompter.messages.first());
        for (const char *box : {"Int_Start", "Int_val", "Int_dir"})
            QCOMPARE(h->text(QLatin1String(box)), QStringLiteral("n/a"));
        QVERIFY(rightButtons(*h, pitchButtons("Int_")).isEmpty());
    }

    void nothingAcceptableIsReportedAndTheQuestionStands()
    {
        auto h = harness({"DELETE FROM \"Intervallen\" WHERE \"Interval_uk\" <> 'Octave'"});
        h->click("Command34");
        const QStringList before{h->text("Int_Start"), h->text("Int_val"), h->text("Int_dir"), h->text("Label7")};
        tickIntervals(*h, {"Chk_1", "Chk_5"});
        h->click("Command34");
        QCOMPARE(h->prompter.messages.size(), 1);
        QVERIFY(h->prompter.messages.first().contains(QStringLiteral("Intervallen")));
        // A screen reader on the go button is told it too.
        QCOMPARE(h->find("Command34")->accessibleDescription(), h->prompter.messages.first());
        QCOMPARE((QStringList{h->text("Int_Start"), h->text("Int_val"), h->text("Int_dir"), h->text("Label7")}), before);
        QCOMPARE(rightButtons(*h, pitchButtons("Int_")), QStringList{test::buttonAccepting(before.last(), "Int_")});

        tickIntervals(*h, {}); // with no box at all, the usual message comes first
        h->click("Command34");
        QCOMPARE(h->prompter.messages.last(), QStringLiteral("No Intervalls selected!"));
    }

    void nameOutsideTheThirteenIsAlwaysAsked()
    {
        auto h = harness({"UPDATE \"Intervallen\" SET \"Interval_uk\" = 'octave'"});
        tickIntervals(*h, {"Chk_1"});
        h->click("Command34");
        QCOMPARE(h->text("Int_val"), QStringLiteral("octave"));
        QVERIFY(h->prompter.messages.isEmpty());
    }

    // ---- Transpose

    void eachInstrumentPairReadsItsField_data()
    {
        QTest::addColumn<QString>("score");
        QTest::addColumn<QString>("player");
        QTest::addColumn<QString>("field");
        const QStringList scores{"Score_c", "Score_Bb", "Score_Eb"};
        const QStringList players{"Instrument_C", "Instrument_Bb", "Instrument_Eb"};
        const QStringList fields{"1", "9", "6", "b7", "1", "5", "b3", "4", "1"};
        for (int s = 0; s < 3; ++s) {
            for (int p = 0; p < 3; ++p)
                QTest::addRow("%s to %s", qPrintable(scores[s]), qPrintable(players[p]))
                    << scores[s] << players[p] << fields[3 * s + p];
        }
    }
    void eachInstrumentPairReadsItsField()
    {
        QFETCH(QString, score);
        QFETCH(QString, player);
        QFETCH(QString, field);
        auto h = harness({onlyKey("Cb")});
        h->click(score);
        h->click(player);
        h->click("Command33");
        QCOMPARE(h->text("Text2"), QStringLiteral("Cb"));
        const QString expected = scaleField(m_path, "Cb", field);
        QCOMPARE(rightButtons(*h, pitchButtons("Play_")), QStringList{test::buttonAccepting(expected, "Play_")});
    }

    // ---- Relations

    void modesDecideTheKindOfQuestion()
    {
        auto h = harness();
        h->click("Option1");
        for (int round = 0; round < 20; ++round) {
            h->click("Command32");
            QVERIFY(h->text("Question_box").endsWith(QLatin1String(" maj")));
        }
        h->click("Option3");
        int major = 0;
        for (int round = 0; round < 200; ++round) {
            h->click("Command32");
            major += h->text("Question_box").endsWith(QLatin1String(" maj"));
        }
        QVERIFY2(major > 70 && major < 130, qPrintable(QString::number(major)));
    }

    void relativeMinorSpellingsAreExact_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("button");
        QTest::newRow("B asks for G# min") << "B" << "commaj10";
        QTest::newRow("C# asks for A# min, not Bb min") << "C#" << "commaj15";
        QTest::newRow("Db asks for Bb min, not A# min") << "Db" << "commaj13";
    }
    void relativeMinorSpellingsAreExact()
    {
        QFETCH(QString, key);
        QFETCH(QString, button);
        auto h = harness({onlyKey(key)});
        h->click("Option1");
        h->click("Command32");
        QCOMPARE(rightButtons(*h, relationsButtonNames()), QStringList{button});
    }

    // ---- Every tab keeps its own question

    // Asked, then every other tab asked: the tab's own question stands and is judged.
    void eachTabJudgesItsOwnQuestion_data()
    {
        addTabRows();
    }
    void eachTabJudgesItsOwnQuestion()
    {
        QFETCH(int, tab);
        auto h = harness();
        h->window.findChild<QAction *>("ShowScore")->trigger();
        const Tab &mine = tabs()[tab];
        mine.ask(*h);
        const QString answer = mine.answerShown(*h);
        QVERIFY(!answer.isEmpty());
        for (const Tab &other : tabs()) {
            if (&other != &mine)
                other.ask(*h);
        }
        QCOMPARE(mine.answerShown(*h), answer);
        mine.answer(*h, answer);
        QCOMPARE(h->status(), Correct);
        // Asked once, whatever the other tabs asked since; revealed by the cheat before it was answered.
        QVERIFY2(h->text("ScoreBar").contains(": 0 of 1 right at the first try - 0 in a row"), qPrintable(h->text("ScoreBar")));
        QCOMPARE(h->find<ui::StatusReader>("StatusReader")->message(), Correct + " " + h->text("ScoreBar"));
    }

    // "Keep my progress": the answers kept as they are given, the choices and ticks back at the next
    // start, the map in "Progress...", the CSV export, and a real deletion when it is unticked.
    void keptProgressComesBackAndIsMapped()
    {
        const QString file = ProgressStore::defaultPath();
        {
            auto h = harness();
            h->prompter.answerYes = true;
            h->window.findChild<QAction *>("KeepProgress")->trigger();
            QVERIFY(QFile::exists(file));
            h->window.findChild<QAction *>("ShowScore")->trigger();
            h->find<QCheckBox>("check1_mixup")->click();
            h->click("Command1");
            const auto [key, code] = test::splitChordAnswer(h->text("Label1"));
            h->click(test::keyButtonFor(key));
            h->click(code == QLatin1String("maj_3") ? "Command3" : "Command2"); // wrong first
            h->click(test::chordButtonFor(code));
            tabs()[1].ask(*h);
            tabs()[1].answer(*h, tabs()[1].answerShown(*h)); // revealed by the cheat first
        }
        auto h = harness();
        QVERIFY(h->window.findChild<QAction *>("KeepProgress")->isChecked());
        QVERIFY(h->window.findChild<QAction *>("ShowScore")->isChecked() && h->find<QCheckBox>("check1_mixup")->isChecked());
        h->window.findChild<QAction *>("ShowProgress")->trigger();
        auto *progress = h->window.findChild<QDialog *>("ProgressWindow");
        QVERIFY(progress);
        auto *period = progress->findChild<QComboBox *>("ProgressPeriod");
        period->setCurrentIndex(period->count() - 1); // all time
        int asked = 0, right = 0;
        for (const char *map : {"MapChords", "MapRelations"}) {
            auto *table = progress->findChild<QTableWidget *>(QLatin1String(map));
            for (int r = 0; r < table->rowCount(); ++r) {
                for (int c = 0; c < table->columnCount(); ++c) {
                    asked += table->item(r, c)->text().toInt();
                    right += table->item(r, c)->toolTip().contains(QStringLiteral("right at the first try 1 times"));
                }
            }
        }
        QCOMPARE(asked, 2); // two questions, each with its first answer wrong or revealed
        QCOMPARE(right, 0);
        QTemporaryDir dir;
        h->prompter.saveAs = dir.filePath(QStringLiteral("answers.csv"));
        progress->findChild<QPushButton *>("ExportAnswers")->click();
        const QList<QByteArray> lines = test::readFile(h->prompter.saveAs).split('\n');
        QCOMPARE(lines.size(), 5); // the header, three answers and the last line's end
        QVERIFY2(lines[1].contains(",Chords,") && lines[1].contains(",0,1,0,") && lines[2].contains(",1,0,0,")
                     && lines[3].contains(",Relations,") && lines[3].contains(",1,1,1,"),
                 test::readFile(h->prompter.saveAs).constData());
        h->prompter.answerYes = true;
        h->window.findChild<QAction *>("KeepProgress")->trigger();
        QVERIFY(!QFile::exists(file));
    }

    // Chords narrowed in the Practice menu's dialog to three keys and the kind a "goed" box
    // confirms, drilled, and scored; an answer shown on request counts as missed.
    void practiceNarrowsTheDrillAndKeepsTheScore()
    {
        auto h = harness();
        h->window.findChild<QAction *>("ShowScore")->trigger();
        h->window.findChild<QAction *>("ChooseDrill")->trigger();
        auto *dialog = h->window.findChild<QDialog *>("DrillDialog");
        QVERIFY(dialog && dialog->isVisible());
        QWidget *page = dialog->findChild<QTabWidget *>("DrillPages")->currentWidget();
        QPushButton *ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        for (QPushButton *button : page->findChildren<QPushButton *>()) {
            if (button->text() == QLatin1String("None"))
                button->click();
        }
        QVERIFY(!ok->isEnabled() && !dialog->findChild<QLabel *>("DrillProblem")->text().isEmpty());
        const QStringList chosen{"C", "G", "F", "Dom 13 b5"};
        for (QCheckBox *box : page->findChildren<QCheckBox *>()) {
            if (chosen.contains(box->text()))
                box->click();
        }
        ok->click();
        QSet<QString> keys;
        for (int round = 1; round <= 12; ++round) {
            h->click("Command1");
            const auto [key, code] = test::splitChordAnswer(h->text("Label1"));
            QCOMPARE(code, QStringLiteral("dom13_b5"));
            keys.insert(key);
            h->click(test::keyButtonFor(key));
            h->click("Command28");
            QCOMPARE(h->prompter.messages.last(), QStringLiteral("goed"));
            QCOMPARE(h->text("ScoreBar"), QStringLiteral("Chords: %1 of %1 right at the first try - %1 in a row (best %1). Answer: %2, Dom 13 b5").arg(round).arg(key));
        }
        QCOMPARE(keys, (QSet<QString>{"C", "G", "F"}));
        h->click("Command1");
        h->window.findChild<QAction *>("ShowAnswer")->trigger();
        h->click("Command28");
        QVERIFY2(h->text("ScoreBar").startsWith("Chords: 12 of 13 right at the first try - 0 in a row (best 12). Answer: "), qPrintable(h->text("ScoreBar")));
    }

    // A press that cannot draw (the file locked by a writer, data changed under it) says why once
    // and leaves the question on screen, which is still judged; the next press draws again.
    void failedPressLeavesThePreviousQuestion_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("change"); // empty: a writer holds the file locked
        QTest::addColumn<QString>("mentions");
        for (int tab = 0; tab < int(tabs().size()); ++tab) {
            QTest::addRow("%s, file locked", tabs()[tab].name) << tab << QStringList() << "locked";
            QTest::addRow("%s, empty scale table", tabs()[tab].name) << tab << QStringList{"DELETE FROM \"Ladders\""} << "Ladders";
            QTest::addRow("%s, a key without a value", tabs()[tab].name) << tab << QStringList{"UPDATE \"Ladders\" SET \"Toonsoort\" = NULL"}
                                                                         << "\"Toonsoort\" holds no value";
        }
        QTest::newRow("Chords, only extended chords while excluded")
            << 0 << split(onlyChordKinds("('maj_9'), ('dom_13')")) << "chort-sort";
        QTest::newRow("Chords, empty chord table") << 0 << QStringList{"DELETE FROM \"chort-sort\""} << "chort-sort";
        QTest::newRow("Chords, vanished field") << 0 << QStringList{"ALTER TABLE \"Ladders\" DROP COLUMN \"5\""} << "\"5\"";
    }
    void failedPressLeavesThePreviousQuestion()
    {
        QFETCH(int, tab);
        QFETCH(QStringList, change);
        QFETCH(QString, mentions);
        const Tab &mine = tabs()[tab];
        auto h = harness(split(onlyKey("G") + QStringLiteral("; ") + onlyChordKinds("('maj_3')")));
        h->find<QCheckBox>("Check1")->setChecked(QByteArray(QTest::currentDataTag()).contains("while excluded"));
        mine.ask(*h);
        const QString question = mine.answerShown(*h);
        QVERIFY(!question.isEmpty());
        std::optional<test::Writer> writer;
        if (change.isEmpty()) {
            // A writer in the middle of saving: it holds the file, which has changed already.
            writer.emplace(m_path);
            writer->run(QStringLiteral("BEGIN EXCLUSIVE"));
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(1), QFileDevice::FileModificationTime));
        } else {
            test::editDatabase(m_path, change);
        }
        h->click("Play_C");
        mine.ask(*h);
        QCOMPARE(h->prompter.messages.size(), 1);
        QVERIFY2(h->prompter.messages.first().contains(mentions), qPrintable(h->prompter.messages.first()));
        QCOMPARE(h->status(), QString());
        QCOMPARE(mine.answerShown(*h), question);
        mine.answer(*h, question);
        QCOMPARE(h->status(), Correct);
        if (writer) { // the lock ends: the next press draws
            writer->run(QStringLiteral("COMMIT"));
            writer.reset();
            mine.ask(*h);
            QCOMPARE(h->prompter.messages.size(), 1);
            mine.answer(*h, mine.answerShown(*h));
            QCOMPARE(h->status(), Correct);
        }
    }

    // An Access file from our generator serves the window's exercises (tst_access compares it with
    // the same data in SQLite below the window, question by question, for both formats).
    // The window asks from an Access file as from SQLite (tst_access reads each table).
    void accessFileServesTheWindow()
    {
        Harness h(true, test::writeAccessDatabase(m_dir.filePath(QStringLiteral("Chords-VB.mdb")), {onlyKey("Eb")}));
        tabs().front().ask(h);
        QCOMPARE(test::splitChordAnswer(tabs().front().answerShown(h)).first, QStringLiteral("Eb"));
    }

    // A drill from the keyboard alone: Return asks, keys answer, judged as the same clicks.
    void keyboardOnlyDrill_data()
    {
        addTabRows();
    }
    void keyboardOnlyDrill()
    {
        QFETCH(int, tab);
        auto h = harness();
        QVERIFY(h->show(true));
        QTabWidget *pages = h->selectTab(QLatin1String(tabs()[tab].name));
        pages->tabBar()->setFocus();
        auto press = [&](const QKeySequence &keys) { QTest::keySequence(QApplication::focusWidget(), keys); };
        const int played = int(h->sound.played.size());
        for (const bool right : {true, false}) {
            pages->tabBar()->setFocus();
            press(QKeySequence(Qt::Key_Return)); // no button has focus: the go button
            const QString shown = tabs()[tab].answerShown(*h); // through the cheat, as the other tests read it
            QVERIFY(!shown.isEmpty());
            pages->tabBar()->setFocus();
            if (tab == 0) {
                const auto [key, code] = test::splitChordAnswer(shown);
                const QString otherKey = key.startsWith(QLatin1Char('C')) ? QStringLiteral("D") : QStringLiteral("C");
                press(ui::spelledNoteKey(right ? key : otherKey));
                QVERIFY(h->find<QAbstractButton>(test::keyButtonFor(right ? key : otherKey))->isChecked());
                QWidget *target = h->find(test::chordButtonFor(code));
                for (int step = 0; step < 40 && QApplication::focusWidget() != target; ++step) {
                    const QRect at = QApplication::focusWidget()->geometry(), to = target->geometry();
                    press(QKeySequence(to.left() > at.left() ? Qt::Key_Right : to.left() < at.left() ? Qt::Key_Left
                                       : to.top() > at.top() ? Qt::Key_Down : Qt::Key_Up));
                }
                QCOMPARE(QApplication::focusWidget(), target);
                press(QKeySequence(Qt::Key_Return));
            } else if (tab == 1) {
                const QString note = shown.section(QLatin1Char(' '), 0, 0);
                const bool major = shown.endsWith(QLatin1String(" maj"));
                press(QKeySequence(ui::spelledNoteKey(note)[0], QKeyCombination(major != right ? Qt::Key_N : Qt::Key_M)));
            } else {
                const QString button = test::buttonAccepting(shown, tab == 2 ? "Play_" : "Int_");
                int pitch = 0;
                while (button != pitchButtonName(tab == 2 ? "Play_" : "Int_", pitch))
                    ++pitch;
                press(ui::pitchClassKeys(right ? pitch : (pitch + 1) % 12).first());
            }
            QCOMPARE(h->status(), right ? Correct : QStringLiteral("Your Answer Was Incorrect! Try Again!"));
            // The next question is one key away, wherever the answer left the focus (on Chords, the grid):
            // its go press empties the verdict line.
            press(QKeySequence(Qt::CTRL | Qt::Key_N));
            QCOMPARE(h->status(), QString());
        }
        QCOMPARE(h->sound.played.mid(played), (QStringList{"sound/2.wav", "sound/4.wav"})); // as clicks give
    }
};

QTEST_MAIN(TestExercises)
#include "tst_exercises.moc"
