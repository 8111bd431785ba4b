#include "ui/animationcost.h"
#include "sound/soundfiles.h"
#include "ui/moviefile.h"
#include "exercises/chords/chordquestion.h"
#include "app/commandline.h"
#include "exercises/intervals/intervals.h"
#include "music/notename.h"
#include "exercises/relations/relations.h"
#include "app/screenfit.h"
#include "app/splashwindow.h"
#include "exercises/chords/staffgeometry.h"
#include "exercises/intervals/intervalspage.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QScopeGuard>
#include <QFile>
#include <QGroupBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QScreen>
#include <QMessageBox>

#include <functional>

#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <QDir>
#include <QPointer>
#include <QScopeGuard>

using namespace velmora;
using velmora::test::Harness;
using test::readFile;
using test::writeFile;

namespace {

// A built-in sound relabelled as 32-bit float samples without changing its block size: a header
// whose numbers disagree, which is refused.
QByteArray floatWav()
{
    QByteArray wav = readFile(QStringLiteral(":/sound/4.wav"));
    wav[20] = 3;  // format tag: IEEE float
    wav[34] = 32; // bits per sample
    return wav;
}

// A GIF of `frames` frames of width x height, each shown `delayCs` hundredths of a second, all of
// one colour (a one-pixel LZW stream that the decoder stretches).
QByteArray gifOf(int width, int height, int frames, int delayCs)
{
    const auto le16 = [](int n) { return test::littleEndian(quint32(n), 2); };
    QByteArray gif = "GIF89a" + le16(width) + le16(height) + QByteArray::fromHex("800000") + QByteArray::fromHex("000000ffffff");
    for (int i = 0; i < frames; ++i) {
        gif += QByteArray::fromHex("21f904") + char(4) + le16(delayCs) + QByteArray::fromHex("0000");
        gif += QByteArray::fromHex("2c00000000") + le16(width) + le16(height) + char(0);
        gif += QByteArray::fromHex("0202440100");
    }
    return gif + char(0x3b);
}

// The names of the controls that Tab visits on `tab`, from the tab strip round to it again.
QStringList tabWalk(Harness &h, const QString &tab)
{
    QTabWidget *tabs = h.selectTab(tab);
    tabs->tabBar()->setFocus();
    QStringList order;
    for (int i = 0; i < 60; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        if (focus == tabs->tabBar())
            break;
        order << focus->objectName();
    }
    return order;
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT
private slots:
    void cheatDecision_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("on");
        QTest::newRow("tovu") << QStringList{"velmora", "tovu"} << true;
        QTest::newRow("TOVU") << QStringList{"velmora", "TOVU"} << false;
        QTest::newRow("tovu extra") << QStringList{"velmora", "tovu", "extra"} << false;
        QTest::newRow("no argument") << QStringList{"velmora"} << false;
        QTest::newRow("tovu with a blank") << QStringList{"velmora", "tovu "} << false;
        // The listening options are taken out first.
        QTest::newRow("options, then tovu") << QStringList{"velmora", "--hear", "tovu", "--by-ear"} << true;
        QTest::newRow("tovu and an unknown option") << QStringList{"velmora", "tovu", "--loud"} << false;
        QTest::newRow("plain English, then tovu") << QStringList{"velmora", "--english", "tovu"} << true;
        QTest::newRow("tovu after --") << QStringList{"velmora", "--", "tovu"} << false;
        QTest::newRow("tovu and an unknown option with a value") << QStringList{"velmora", "--volume=3", "tovu"} << false;
    }
    void cheatDecision()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, on);
        const CommandLine line = CommandLine::parse(arguments);
        QCOMPARE(line.cheatMode, on);
        QCOMPARE(line.listen.hearEachQuestion, arguments.contains(QStringLiteral("--hear")));
        QCOMPARE(line.listen.chordsByEar, arguments.contains(QStringLiteral("--by-ear")));
        QCOMPARE(line.plainEnglish, arguments.contains(QStringLiteral("--english")));
    }

    // "Plain English captions" changes the captions at once, and back: a button's caption and so its
    // accessible name, a tab, a message box; a text box that shows a question keeps it.
    void plainEnglishSwitchesAtOnce_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("question");
        QTest::newRow("plain English") << true << "Sus4 triad" << "Relative Minor / Major" << "Quitting|Quit Velmora?";
        QTest::newRow("and back") << false << "Sus4 drieklnk" << "Mineur / Majeur Relations " << "Quiting|Quit Program?";
    }
    void plainEnglishSwitchesAtOnce()
    {
        QFETCH(bool, english);
        QFETCH(QString, caption);
        QFETCH(QString, tab);
        QFETCH(QString, question);
        Harness h;
        h.click("Command1");
        const QString notes = h.text("Text1");
        auto *item = h.window.findChild<QAction *>("PlainEnglish");
        item->setChecked(true);
        item->setChecked(english);
        const auto original = qScopeGuard([item] { item->setChecked(false); });
        QCOMPARE(h.find<QPushButton>("Command26")->text(), caption);
        QCOMPARE(QAccessible::queryAccessibleInterface(h.find("Command26"))->text(QAccessible::Name), caption);
        QCOMPARE(h.find<QTabWidget>("SSTab1")->tabText(1), tab);
        QCOMPARE(h.text("Text1"), notes);
        h.window.findChild<QAction *>("Exit")->trigger();
        QCOMPARE(h.prompter.questions.last(), question);
    }

    // Answered before any window system is asked for: no display, no platform plugin.
    void versionAndHelpNeedNoDisplay()
    {
        for (const char *option : {"--version", "--help"}) {
            QProcess process;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            env.remove(QStringLiteral("DISPLAY"));
            process.setProcessEnvironment(env);
            process.start(QStringLiteral(VELMORA_EXECUTABLE), {QLatin1String(option)});
            QVERIFY(process.waitForFinished(10000));
            QCOMPARE(process.exitCode(), 0);
            const QByteArray out = process.readAllStandardOutput();
            if (option == QByteArrayView("--version"))
                QCOMPARE(out, QByteArray("velmora " VELMORA_VERSION "\n"));
            else
                QVERIFY2(out.contains("--version") && out.contains("--english"), out.constData());
        }
    }

    // SIGTERM while a WAL-mode file is copied into a private folder: the program ends as closed
    // (no question, no sound) and leaves nothing in TMPDIR; at its start it removed the folders
    // that killed programs left, and nothing else.
    void terminationLeavesNoPrivateFolder()
    {
        QTemporaryDir work, temp;
        const QString data = work.filePath(QStringLiteral("Chords-VB.mdb"));
        test::writeDefaultDatabase(data);
        test::editDatabase(data, {"CREATE TABLE filler(b BLOB)", "INSERT INTO filler VALUES (zeroblob(300000000))",
                                  "PRAGMA journal_mode=WAL"});
        test::Writer writer(data); // keeps commits in the -wal file
        writer.run(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
        writer.run(QStringLiteral("INSERT INTO \"chort-sort\" VALUES ('maj_3')"));
        QDir tmp(temp.path());
        for (const char *left : {"velmora-left", "velmora-used", "velmora-unlocked"})
            QVERIFY(tmp.mkdir(QLatin1String(left)));
        for (const char *file : {"velmora-left/lock", "velmora-left/music.sqlite", "velmora-used/lock", "velmora-file"})
            test::writeFile(tmp.filePath(QLatin1String(file)), "x");
        QFile used(tmp.filePath(QStringLiteral("velmora-used/lock")));
        QVERIFY(used.open(QIODevice::ReadOnly) && flock(used.handle(), LOCK_EX) == 0); // a program that lives
        QVERIFY(QFile::link(tmp.filePath(QStringLiteral("velmora-unlocked")), tmp.filePath(QStringLiteral("velmora-link"))));

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), work.path());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(work.path());
        process.start(QStringLiteral(VELMORA_EXECUTABLE));
        QVERIFY(process.waitForStarted());
        const auto entries = [&tmp] { return tmp.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot); };
        const auto itsCopy = [&] { return entries().filter(QRegularExpression(QStringLiteral("^velmora-\\w{6}$"))).size() == 1; };
        const test::Stopwatch clock;
        while (!itsCopy() && clock.elapsed() < 20000)
            QThread::usleep(500);
        QVERIFY(itsCopy());
        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(entries(), (QStringList{"velmora-file", "velmora-link", "velmora-unlocked", "velmora-used"}));
    }

    void realProcessTakesTovuAfterQtsOwnOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("tovu") << QStringList{"tovu"} << QByteArray("CheatMode on");
        QTest::newRow("Qt option before tovu") << QStringList{"-style", "Fusion", "tovu"} << QByteArray("CheatMode on");
        QTest::newRow("TOVU") << QStringList{"TOVU"} << QByteArray("CheatMode off");
    }
    void realProcessTakesTovuAfterQtsOwnOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, line);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("velmora.startup.info=true"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(VELMORA_EXECUTABLE), arguments);
        QVERIFY(process.waitForStarted());
        QByteArray output;
        const test::Stopwatch clock;
        while (!output.contains("main window exposed") && clock.elapsed() < 20000 && process.state() == QProcess::Running) {
            process.waitForReadyRead(500);
            output += process.readAllStandardError();
        }
        QVERIFY2(output.contains(line) && output.contains("music data: built-in"), output.constData());
        QVERIFY2(output.contains("main window exposed"), output.constData());
        QCOMPARE(process.state(), QProcess::Running);
        process.kill();
        process.waitForFinished();
    }

    void initialState()
    {
        Harness h;
        QCOMPARE(h.find<QTabWidget>("SSTab1")->tabText(h.find<QTabWidget>("SSTab1")->currentIndex()), QStringLiteral("Chords"));
        QCOMPARE(h.find<QTabWidget>("SSTab1")->count(), 5);

        // Exactly one option selected in every group.
        auto *answerFrame = h.find<QGroupBox>("Frame1");
        QList<QPushButton *> keys;
        for (const char *key : chordAnswerKeys())
            keys << h.find<QPushButton>(test::keyButtonFor(QLatin1String(key)));
        QCOMPARE(std::ranges::count_if(keys, [](auto *b) { return b->isChecked(); }), 1);
        QVERIFY(h.find<QPushButton>("Option_C")->isChecked());
        for (const char *frame : {"Frame3", "Frame5", "Frame6"}) {
            const auto options = h.find(QLatin1String(frame))->findChildren<QRadioButton *>();
            QCOMPARE(std::ranges::count_if(options, [](auto *o) { return o->isChecked(); }), 1);
        }
        for (const char *selected : {"Option3", "Score_c", "Instrument_Eb"})
            QVERIFY(h.find<QRadioButton>(QLatin1String(selected))->isChecked());

        for (int n = 0; n < IntervalChoiceCount; ++n)
            QVERIFY(h.find<QCheckBox>(IntervalsPage::choiceBoxName(n))->isChecked());
        QVERIFY(h.find<QCheckBox>("viewtext")->isChecked());
        for (const char *box : {"Sound_off", "check1_mixup", "Check1"})
            QVERIFY(!h.find<QCheckBox>(QLatin1String(box))->isChecked());
        for (const char *greyed : {"Command23", "Score_other", "Instrument_OTHER"})
            QVERIFY(!h.find(QLatin1String(greyed))->isEnabled());
        for (const char *hidden : {"Label1", "Label7", "Cheat_button", "Cheat_button2", "Int_cheat"})
            QVERIFY(h.find(QLatin1String(hidden))->isHidden());
        QCOMPARE(h.find<QPushButton>("Command25")->text(), QStringLiteral("---"));
        for (const char *label : {"Label13", "Label14"}) {
            QVERIFY(!h.find(QLatin1String(label))->isHidden());
            QCOMPARE(h.text(QLatin1String(label)), QString());
        }
        for (int head = 1; head <= 7; ++head) {
            QVERIFY(!h.find(QStringLiteral("noot%1").arg(head))->isHidden());
            QCOMPARE(h.find(QStringLiteral("noot%1").arg(head))->y(), 48);
        }
        const QStringList texts{h.text("Text1"), h.text("Question_box"), h.text("Text2"), h.text("Int_Start"),
                                h.text("Int_val"), h.text("Label7"), h.text("Version")};
        QCOMPARE(texts, (QStringList{"Click on Go! for first question", "Click on Go! for first question", "Go!",
                                     "--", "---", "cheat", "version: " VELMORA_VERSION}));
        QCOMPARE(h.find<QTimer>("Timer1")->parent(), answerFrame);

        SplashWindow splash(h.clock, [](auto) {});
        const auto caption = [&](const char *name) { return splash.findChild<QLabel *>(QLatin1String(name))->text(); };
        QCOMPARE((QStringList{caption("lblVersion"), caption("lblPlatform"), caption("Label2")}),
                 (QStringList{"Version " VELMORA_VERSION, "Windows98 ", "Velmora is now loading............"}));
    }

    void soundOffSilencesOnlyTheFeedback()
    {
        Harness h;
        QCOMPARE(h.sound.played, QStringList{"sound/3.wav"}); // the start sound
        h.click("Int_C");
        QCOMPARE(h.sound.played.last(), QStringLiteral("sound/4.wav"));
        h.find<QCheckBox>("Sound_off")->setChecked(true);
        h.sound.played.clear();
        h.click("Int_C");
        QCOMPARE(h.status(), test::Incorrect);
        QVERIFY(h.sound.played.isEmpty());
        QVERIFY(h.show());
        auto *tabs = h.find<QTabWidget>("SSTab1");
        tabs->setCurrentIndex(tabs->count() - 1);
        QTest::mouseClick(h.find("Label6"), Qt::LeftButton);
        QCOMPARE(h.sound.played, QStringList{"sound/3.wav"});
        QCOMPARE(h.find("Label6")->toolTip(), QStringLiteral("Play Tune?"));
    }

    void blinkerTogglesEvenAnEmptyLine()
    {
        Harness h;
        QVERIFY(h.show());
        auto *line = h.find<QLabel>("Label20");
        QCOMPARE(line->text(), QString());
        const bool first = line->isVisible();
        h.clock.advance(999);
        QCOMPARE(line->isVisible(), first);
        h.clock.advance(1);
        QCOMPARE(line->isVisible(), !first);
        h.clock.advance(1000);
        QCOMPARE(line->isVisible(), first);
        QVERIFY(h.clock.isRunning(*h.find<QTimer>("blinker")));
    }

    void tabStripClickEmptiesTheStatusLine()
    {
        Harness h;
        QVERIFY(h.show());
        QTabBar *bar = h.find<QTabWidget>("SSTab1")->tabBar();
        for (int tab : {2, 0}) { // the current tab, then another
            h.click("Play_C");
            QCOMPARE(h.status(), test::Incorrect);
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
            QCOMPARE(h.status(), QString());
        }
        // The keyboard's changes of tab too, wherever the focus is on the page.
        for (const QKeyCombination key : {Qt::CTRL | Qt::Key_Tab, Qt::CTRL | Qt::Key_PageDown}) {
            h.click("Play_C");
            QCOMPARE(h.status(), test::Incorrect);
            const int before = bar->currentIndex();
            QTest::keyClick(h.find("Play_C"), key.key(), key.keyboardModifiers());
            QVERIFY(bar->currentIndex() != before);
            QCOMPARE(h.status(), QString());
        }
        h.click("Play_C");
        QCOMPARE(h.status(), test::Incorrect);
    }

    // In cheat mode "---" reads "Cheat", and the clicks below find the cheat buttons shown.
    void hideTimersHideTheirLabelsAndKeepRunning()
    {
        Harness h(true);
        QCOMPARE(h.find<QPushButton>("Command25")->text(), QStringLiteral("Cheat"));
        h.clock.advance(1000);
        for (const char *label : {"Label13", "Label14"})
            QVERIFY2(h.find(QLatin1String(label))->isHidden(), label);
        h.click("Command1");
        h.clock.advance(500);
        h.click("Command25"); // restarts Timer1: the label stays its full second
        QVERIFY(!h.find("Label1")->isHidden());
        h.clock.advance(999);
        QVERIFY(!h.find("Label1")->isHidden());
        h.clock.advance(1);
        QVERIFY(h.find("Label1")->isHidden());

        h.click("Command34");
        h.click("Int_cheat");
        QVERIFY(!h.find("Label7")->isHidden());
        h.clock.advance(9999);
        QVERIFY(!h.find("Label7")->isHidden());
        h.clock.advance(1);
        QVERIFY(h.find("Label7")->isHidden());
        for (const char *timer : {"Timer1", "Timer2", "Timer3", "Timer4", "blinker"})
            QVERIFY2(h.clock.isRunning(*h.find<QTimer>(QLatin1String(timer))), timer);
    }

    void everyNamedControlHasAnAccessibleName()
    {
        Harness h(true);
        QVERIFY(h.show());
        auto *tabs = h.find<QTabWidget>("SSTab1");
        QStringList unnamed;
        QStringList seen;
        // Through the accessibility tree, as a screen reader walks it, every page shown in turn.
        std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *face) {
            QObject *object = face->object();
            if (object && !object->objectName().isEmpty() && !object->objectName().startsWith(QLatin1String("qt_"))) {
                seen << object->objectName();
                const QString name = face->text(QAccessible::Name).trimmed();
                // "Exit" is both the menu item's object name and its caption.
                const bool caption = name == object->property("text").toString();
                if (name.isEmpty() || (name == object->objectName() && !caption))
                    unnamed << object->objectName() + QLatin1Char('=') + name;
            }
            for (int i = 0; i < face->childCount(); ++i) {
                if (QAccessibleInterface *child = face->child(i))
                    walk(child);
            }
        };
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            walk(QAccessible::queryAccessibleInterface(&h.window));
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char(' '))));
        for (const char *name : {"Text1", "viewtext", "Int_Start", "Int_val", "Int_dir", "Text2", "Label20", "Picture1"})
            QVERIFY2(seen.contains(QLatin1String(name)), name);
        // The staff speaks for its note heads and signs, which are not in the tree.
        QVERIFY(!seen.contains(QStringLiteral("noot1")));

        h.click("Command1");
        QAccessibleInterface *staff = QAccessible::queryAccessibleInterface(h.find("Picture1"));
        QCOMPARE(staff->text(QAccessible::Description).split(QStringLiteral(", ")),
                 h.text("Text1").split(QLatin1Char(' '), Qt::SkipEmptyParts));
        QCOMPARE(QAccessible::queryAccessibleInterface(h.find("check1_mixup"))->text(QAccessible::Name), QStringLiteral("Random order"));
        QCOMPARE(QAccessible::queryAccessibleInterface(h.find("Int_val"))->text(QAccessible::Name), QStringLiteral("The Interval is:"));
    }

    // The offscreen platform has no accessibility bridge, so what is checked is what a bridge
    // would read at each event: the verdict as the line's name, unchanged by the blinking, and
    // the same in a status reader that stays in the tree (tests/a11y-walk.py hears the events).
    void verdictIsTheStatusLineName()
    {
        Harness h;
        auto name = [&](const char *object) { return QAccessible::queryAccessibleInterface(h.find(QLatin1String(object)))->text(QAccessible::Name); };
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(h.find("StatusReader"));
        QCOMPARE(reader->role(), QAccessible::StatusBar);
        QCOMPARE(name("Label20"), QStringLiteral("Verdict"));
        h.click("Play_C");
        for (int blink = 0; blink < 3; ++blink) {
            QCOMPARE(name("Label20"), test::Incorrect);
            QCOMPARE(reader->text(QAccessible::Name), test::Incorrect);
            QCOMPARE(reader->textInterface()->text(0, reader->textInterface()->characterCount()), test::Incorrect);
            QVERIFY(!reader->state().invisible);
            h.clock.advance(1000);
        }
        h.click("Command33");
        QCOMPARE(name("Label20"), QStringLiteral("Verdict"));
        QCOMPARE(reader->textInterface()->characterCount(), 0);
    }

    // Each go press tells the question shown through the go button, which keeps the focus.
    void eachQuestionIsToldThroughItsGoButton_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("go");
        QTest::newRow("Chords") << "Chords" << "Command1";
        QTest::newRow("Relations") << "Relations" << "Command32";
        QTest::newRow("Transpose") << "Transpose" << "Command33";
        QTest::newRow("Intervals") << "Intervals" << "Command34";
    }
    void eachQuestionIsToldThroughItsGoButton()
    {
        QFETCH(QString, tab);
        QFETCH(QString, go);
        Harness h;
        QVERIFY(h.show(true));
        QWidget *button = h.find(go);
        if (tab == QLatin1String("Chords")) // the focus starts there
            QCOMPARE(QApplication::focusWidget(), button);
        h.selectTab(tab);
        button->setFocus();
        const auto shown = [&] {
            if (tab == QLatin1String("Chords"))
                return QStringLiteral("Chord: ") + h.text("Text1").split(QLatin1Char(' '), Qt::SkipEmptyParts).join(QStringLiteral(", "));
            if (tab == QLatin1String("Relations"))
                return h.text("Question_box");
            if (tab == QLatin1String("Transpose"))
                return QStringLiteral("Score for C instrument, note ") + h.text("Text2");
            return QStringLiteral("From %1, %2, %3").arg(h.text("Int_Start"), h.text("Int_val"), h.text("Int_dir"));
        };
        for (int press = 1; press <= 2; ++press) {
            QTest::keyClick(button, Qt::Key_Space);
            QCOMPARE(QApplication::focusWidget(), button);
            QCOMPARE(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Description), shown());
        }
    }

    void focusFollowsTheReadingOrder_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QStringList>("first"); // the first stops after the tab strip
        QTest::addColumn<QStringList>("last");
        // A column of the page to its end, the question before the answers.
        QTest::newRow("Chords") << "Chords" << QStringList{"Command1", "Picture1", "viewtext", "Text1", "check1_mixup", "Check1", "Option_C", "Command27", "Command7"}
                                << QStringList{"Command31", "Command30", "Sound_off"};
        QTest::newRow("Relations") << "Relations" << QStringList{"Command32", "Option3" /* the chosen one */, "Question_box", "commaj1", "commin1"}
                                   << QStringList{"commin15", "Sound_off"};
        QTest::newRow("Transpose") << "Transpose" << QStringList{"Command33", "Score_c", "Text2", "Instrument_Eb", "Play_C", "Play_Cis"}
                                   << QStringList{"Play_Bb", "Play_B", "Sound_off"};
        QTest::newRow("Intervals") << "Intervals" << QStringList{"Command34", "Chk_1", "Chk_b2"}
                                   << QStringList{"Chk_8", "Int_Start", "Int_val", "Int_dir", "Int_C", "Int_Cis"};
    }
    void focusFollowsTheReadingOrder()
    {
        QFETCH(QString, tab);
        QFETCH(QStringList, first);
        QFETCH(QStringList, last);
        Harness h;
        QVERIFY(h.show());
        const QStringList order = tabWalk(h, tab);
        QVERIFY2(order.mid(0, first.size()) == first, qPrintable(order.join(QLatin1Char(' '))));
        QVERIFY2(order.join(QLatin1Char(' ')).contains(last.join(QLatin1Char(' '))), qPrintable(order.join(QLatin1Char(' '))));
        QCOMPARE(order.last(), QStringLiteral("Sound_off"));
    }

    // What a screen reader meets: a chosen key is a checked radio button, a cheat button that
    // does nothing is no stop, and a revealed answer reads as its text.
    void choicesStopsAndTheCheatAnswerAsAReaderMeetsThem()
    {
        for (const bool cheat : {false, true}) {
            Harness h(cheat);
            QVERIFY(h.show());
            QCOMPARE(tabWalk(h, QStringLiteral("Chords")).contains(QStringLiteral("Command25")), cheat);
        }
        Harness h(true);
        const auto face = [&](const char *name) { return QAccessible::queryAccessibleInterface(h.find(QLatin1String(name))); };
        QCOMPARE(face("Option_C")->role(), QAccessible::RadioButton);
        QCOMPARE(face("Option_Eb")->text(QAccessible::Name), QStringLiteral("Eb"));
        QVERIFY(face("Option_C")->state().checked && !face("Option_Eb")->state().checked);
        for (int press = 0; press < 2; ++press) { // pressed again, it stays the chosen one
            face("Option_Eb")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QVERIFY(!face("Option_C")->state().checked && face("Option_Eb")->state().checked);
        }

        h.click("Command33");
        h.click("Cheat_button");
        QVERIFY(!h.text("Label13").isEmpty());
        QCOMPARE(face("Label13")->text(QAccessible::Name), QStringLiteral("Expected answer: ") + h.text("Label13"));
    }

    // "Exit", Ctrl+Q and the Quit keys ask first; No changes nothing, Yes plays the quit sound even
    // with "Sound off". While a message box is up, the main window's keys are the box's.
    void quitAsksFirst()
    {
        Harness h;
        QVERIFY(h.show());
        h.click("Command32");
        h.click("commaj1");
        const QStringList shown{h.status(), h.text("Question_box")};
        const QStringList played = h.sound.played;
        QSignalSpy quit(&h.window, &MainWindow::quitRequested);
        QTest::keyClick(&h.window, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(h.prompter.questions, QStringList{"Quiting|Quit Program?"});
        QCOMPARE(quit.count(), 0); // answered No
        QCOMPARE((QStringList{h.status(), h.text("Question_box")}), shown);
        QCOMPARE(h.sound.played, played);

        QMessageBox box(QMessageBox::Information, QStringLiteral("Velmora"), QStringLiteral("a message"),
                        QMessageBox::Ok, &h.window);
        box.open();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QTest::keyClick(&h.window, Qt::Key_Q, Qt::ControlModifier);
        QTest::keyClick(&h.window, Qt::Key_Return);
        QCOMPARE(h.prompter.questions.size(), 1);
        QCOMPARE(h.text("Label1"), QStringLiteral("Label1")); // no question asked either
        box.close();

        h.find<QCheckBox>("Sound_off")->setChecked(true);
        h.prompter.answerYes = true;
        h.window.findChild<QAction *>("Exit")->trigger();
        QCOMPARE(h.prompter.questions.size(), 2);
        QCOMPARE(quit.count(), 1);
        QCOMPARE(h.sound.played.last(), QStringLiteral("sound/1.wav"));
    }

    void mainWindowOpensCentred()
    {
        Harness h;
        centreOnScreen(&h.window);
        QVERIFY(h.show());
        const QPoint off = h.window.frameGeometry().center() - h.window.screen()->availableGeometry().center();
        QVERIFY2(std::abs(off.x()) <= 2 && std::abs(off.y()) <= 2, qPrintable(QStringLiteral("%1, %2").arg(off.x()).arg(off.y())));
    }

    void splashLoadsTheMainWindowOnceAndTheProgramGoesOn()
    {
        test::FakePrompter prompter;
        test::FakeSoundPlayer sound;
        sound.lengthMs = 500;
        SeededRandom random(1);
        Clock clock;
        std::unique_ptr<MainWindow> window;
        int loads = 0;
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        auto *splash = new SplashWindow(clock, [&](auto loaded) {
            ++loads;
            window = std::make_unique<MainWindow>(Services{prompter, sound, random, clock, "absent.mdb"}, false);
            window->Form_Load([&, loaded] { loaded(window.get()); });
        });
        splash->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<SplashWindow> guard(splash);
        splash->show();
        // The splash stays up, and the main window unseen, until the start sound has been heard.
        QTRY_COMPARE(sound.played, QStringList{"sound/3.wav"});
        QTest::qWait(250);
        QVERIFY(!guard.isNull() && !window->isVisible());
        QTRY_VERIFY(guard.isNull());
        QTest::qWait(300);
        QCOMPARE(loads, 1);
        QVERIFY(window->isVisible());
        QCOMPARE(lastClosed.count(), 0);
        QCOMPARE(sound.played, QStringList{"sound/3.wav"});
    }

    // Each file is looked for in the working directory, then the data directory; one that cannot
    // be used is passed over, and the built-in copy serves last.
    void assetSearchOrder_data()
    {
        QTest::addColumn<QString>("asset");
        QTest::addColumn<QString>("inWork"); // what lies there: nothing, "good", or what is wrong with it
        QTest::addColumn<QString>("inData");
        QTest::addColumn<QString>("servedFrom"); // "work", "data" or "built-in"
        const QString sound = QStringLiteral("sound/4.wav"), gif = QStringLiteral("trumpet.gif");
        QTest::newRow("no sound anywhere") << sound << "" << "" << "built-in";
        QTest::newRow("a sound in the working directory") << sound << "good" << "" << "work";
        QTest::newRow("a sound in the data directory") << sound << "" << "good" << "data";
        QTest::newRow("the working directory's wins") << sound << "good" << "good" << "work";
        QTest::newRow("garbage falls through") << sound << "garbage" << "good" << "data";
        QTest::newRow("a header whose numbers disagree") << sound << "mislabelled" << "" << "built-in";
        QTest::newRow("a named pipe, which would block a plain open") << sound << "pipe" << "" << "built-in";
        QTest::newRow("a folder") << sound << "folder" << "" << "built-in";
        QTest::newRow("no picture anywhere") << gif << "" << "" << "built-in";
        QTest::newRow("a picture in the working directory") << gif << "good" << "" << "work";
        QTest::newRow("a bad picture falls through") << gif << "garbage" << "good" << "data";
        QTest::newRow("a frame of 5000 x 5000 pixels") << gif << "huge" << "" << "built-in";
    }
    void assetSearchOrder()
    {
        QFETCH(QString, asset);
        QFETCH(QString, inWork);
        QFETCH(QString, inData);
        QFETCH(QString, servedFrom);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("work/sound") && QDir(dir.path()).mkpath("home/velmora/sound"));
        const test::ScopedPlace moved(dir.filePath("work"), dir.filePath("home"));
        const bool isSound = asset.endsWith(QLatin1String(".wav"));
        const QString builtIn = QStringLiteral(":/") + asset;
        const auto place = [&](const QString &path, const QString &kind) {
            if (kind == QLatin1String("good"))
                writeFile(path, readFile(builtIn));
            else if (kind == QLatin1String("garbage"))
                writeFile(path, "not what it says");
            else if (kind == QLatin1String("mislabelled"))
                writeFile(path, floatWav());
            else if (kind == QLatin1String("huge")) // 40 bytes that ask for a frame of 5000 x 5000 pixels
                writeFile(path, QByteArray::fromHex("4749463839618813881380000000000000ffffff2c00000000881388130002012c003b"));
            else if (kind == QLatin1String("pipe"))
                QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            else if (kind == QLatin1String("folder"))
                QVERIFY(QDir().mkpath(path));
        };
        const QString work = dir.filePath("work/") + asset, data = dir.filePath("home/velmora/") + asset;
        place(work, inWork);
        place(data, inData);
        // The working directory's by the name asked for, as the system resolves it.
        const QString expected = servedFrom == QLatin1String("work") ? asset : servedFrom == QLatin1String("data") ? data : builtIn;
        if (!isSound) {
            QCOMPARE(movieFile(asset), expected);
            return;
        }
        const std::optional<LoadedSound> loaded = loadSound(asset);
        QVERIFY(loaded);
        QCOMPARE(loaded->file, expected);
        QCOMPARE(loaded->pcm.samples, decodeWavFile(builtIn)->samples); // every good copy here is the built-in one
    }

    // A picture whose animation would keep a core busy is shown still.
    void aCostlyAnimationIsShownStill_data()
    {
        QTest::addColumn<QByteArray>("gif");
        QTest::addColumn<bool>("moves");
        QTest::newRow("the built-in trumpet") << readFile(QStringLiteral(":/trumpet.gif")) << true;
        QTest::newRow("161 x 161, ten frames a second") << gifOf(161, 161, 10, 10) << true;
        QTest::newRow("1000 x 1000, a hundred frames a second") << gifOf(1000, 1000, 20, 1) << false;
        QTest::newRow("delays of 0 count as 10 ms") << gifOf(400, 400, 5, 0) << false;
    }
    void aCostlyAnimationIsShownStill()
    {
        QFETCH(QByteArray, gif);
        QFETCH(bool, moves);
        const std::optional<AnimationCost> cost = animationCost(gif);
        QVERIFY(cost);
        QCOMPARE(cost->affordable(), moves);
        QVERIFY(!animationCost(gif.left(gif.size() - 3))); // cut short: no cost to go by

        QTemporaryDir dir;
        const test::ScopedPlace place(dir.path());
        writeFile(QStringLiteral("trumpet.gif"), gif);
        Harness h;
        auto *picture = h.find<QLabel>("Gif89a1");
        QCOMPARE(picture->movie() != nullptr, moves);
        QVERIFY(moves || !picture->pixmap().isNull());
    }

    void builtInSoundsArePlayableAndShort()
    {
        for (const char *name : {"1", "2", "3", "4"}) {
            const std::optional<PcmSound> sound = decodeWavFile(QStringLiteral(":/sound/%1.wav").arg(QLatin1String(name)));
            QVERIFY2(sound, name);
            QVERIFY2(sound->durationMs() < (qstrcmp(name, "3") == 0 ? 1500 : 500), name);
        }
    }

    void withoutASoundServerNothingWaits()
    {
        ServerSoundPlayer player(QStringLiteral("unix:/nonexistent/velmora-test/native"));
        const test::Stopwatch clock;
        QObject receiver;
        int heard = 0;
        player.play(QStringLiteral("sound/3.wav"), &receiver, [&] { ++heard; });
        player.play(QStringLiteral("sound/2.wav"), &receiver, [&] { ++heard; });
        QTRY_COMPARE_WITH_TIMEOUT(heard, 2, 1000);
        QVERIFY2(clock.elapsed() < 200, clock.said());
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
