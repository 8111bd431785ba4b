#include "app/mainwindow.h"

#include "app/aboutpage.h"
#include "app/drilldialog.h"
#include "app/screenfit.h"
#include "app/startuplog.h"
#include "music/userfiles.h"
#include "ui/clock.h"
#include "ui/keyboard.h"
#include "ui/exercisepage.h"
#include "exercises/chords/chordquestion.h"
#include "exercises/chords/chordspage.h"
#include "exercises/intervals/intervalspage.h"
#include "exercises/relations/relationspage.h"
#include "exercises/transpose/transposepage.h"
#include "ui/feedback.h"
#include "ui/prompter.h"
#include "ui/soundplayer.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWindow>

namespace velmora {

namespace {

// The exercises, in the order of their tabs; the About tab follows them. A new exercise is its
// own folder under src/exercises, its sources in src/CMakeLists.txt, and one line here.
struct Exercise
{
    const char *tabCaption;
    ExercisePage *(*create)(QTabWidget *tabControl, ExerciseContext &context);
    bool openFirst = false;
};

// The score bar: one line, elided rather than widening the fixed window, whatever the data holds.
class ScoreBar : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        drawFrame(&painter);
        const QRect room = contentsRect().adjusted(3, 0, -3, 0);
        painter.drawText(room, Qt::AlignVCenter | Qt::AlignLeft, fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
    }
};

template <typename Page>
ExercisePage *create(QTabWidget *tabControl, ExerciseContext &context)
{
    return new Page(tabControl, context);
}

constexpr Exercise Exercises[] = {
    {"Intervals", create<IntervalsPage>},
    {"Mineur / Majeur Relations ", create<RelationsPage>},
    {"Chords", create<ChordsPage>, true},
    {"Transpose", create<TransposePage>},
};

} // namespace

QString versionNumber()
{
    return QStringLiteral("%1.%2.%3").arg(VELMORA_VERSION_MAJOR).arg(VELMORA_VERSION_MINOR).arg(VELMORA_VERSION_PATCH);
}

MainWindow::MainWindow(Services services, bool cheatMode, Listening::Choices listen, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_services(std::move(services)),
      m_database(m_services.accessReading)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    QAction *exit = menuBar()->addAction(QStringLiteral("Exit"));
    exit->setObjectName(QStringLiteral("Exit"));
    PressGate &presses = m_services.sound.presses();
    connect(exit, &QAction::triggered, this, presses.guarded(this, [this] { Exit_Click(); }));

    // Hearing the question: the one menu beyond the original window.
    m_listening = new Listening(m_services.sound, m_services.prompter, listen, this);
    presses.setBeforeEachPress([this] { m_listening->stop(); });
    QMenu *listenMenu = menuBar()->addMenu(QStringLiteral("Listen"));
    listenMenu->setObjectName(QStringLiteral("mnuListen"));
    listenMenu->setAccessibleName(QStringLiteral("Listen"));
    m_playQuestion = listenMenu->addAction(QStringLiteral("Play the question"));
    m_playQuestion->setObjectName(QStringLiteral("PlayQuestion"));
    m_playQuestion->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(m_playQuestion, &QAction::triggered, this, presses.guarded(this, [this] { playQuestion(); }));
    QAction *hear = listenMenu->addAction(QStringLiteral("Hear each question"));
    hear->setObjectName(QStringLiteral("HearEachQuestion"));
    hear->setCheckable(true);
    hear->setChecked(listen.hearEachQuestion);
    connect(hear, &QAction::toggled, m_listening, &Listening::setHearEachQuestion);
    QAction *byEar = listenMenu->addAction(QStringLiteral("Chords by ear"));
    byEar->setObjectName(QStringLiteral("ChordsByEar"));
    byEar->setCheckable(true);
    byEar->setChecked(listen.chordsByEar);
    connect(byEar, &QAction::toggled, m_listening, &Listening::setChordsByEar);
    m_listenItems = {m_playQuestion, hear, byEar};
    m_listenUnavailable = listenMenu->addAction(QString());
    m_listenUnavailable->setObjectName(QStringLiteral("ListenUnavailable"));
    m_listenUnavailable->setEnabled(false);
    connect(m_listening, &Listening::availabilityChanged, this, &MainWindow::updateListenMenu);

    // Practice: what to drill and how it goes, beyond the original window too.
    QMenu *practiceMenu = menuBar()->addMenu(tr("&Practice")); // Alt+P: the dialog by keyboard too
    practiceMenu->setObjectName(QStringLiteral("mnuPractice"));
    practiceMenu->setAccessibleName(tr("Practice"));
    QAction *choose = practiceMenu->addAction(tr("Choose what to drill..."));
    choose->setObjectName(QStringLiteral("ChooseDrill"));
    connect(choose, &QAction::triggered, this, presses.guarded(this, [this] { chooseWhatToDrill(); }));
    m_showScore = practiceMenu->addAction(tr("Show my score"));
    m_showScore->setObjectName(QStringLiteral("ShowScore"));
    m_showScore->setCheckable(true);
    connect(m_showScore, &QAction::toggled, this, &MainWindow::updateScoreBar);
    m_resetScore = practiceMenu->addAction(tr("Reset my score"));
    m_resetScore->setObjectName(QStringLiteral("ResetScore"));
    connect(m_resetScore, &QAction::triggered, this, [this] {
        if (ExercisePage *page = currentExercise())
            page->resetScore();
    });
    m_showAnswer = practiceMenu->addAction(tr("Show the answer"));
    m_showAnswer->setObjectName(QStringLiteral("ShowAnswer"));
    connect(m_showAnswer, &QAction::triggered, this, presses.guarded(this, [this] { showAnswer(); }));

    // The fixed layout, and below it the score bar, which adds its height only while shown.
    auto *frame = new QWidget(this);
    auto *rows = new QVBoxLayout(frame);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto *client = new QWidget(frame);
    client->setFixedSize(ui::twipsRect(0, 0, 9600, 7335).size());
    rows->addWidget(client);
    m_scoreBar = new ScoreBar(frame);
    m_scoreBar->setObjectName(QStringLiteral("ScoreBar"));
    m_scoreBar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_scoreBar->setFixedHeight(qRound(ui::scaled(ScoreBarPixels)));
    // However long a key or answer the data holds, the bar never widens the window.
    m_scoreBar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_scoreBar->setAccessibleName(tr("Score"));
    m_scoreBar->hide();
    rows->addWidget(m_scoreBar);
    setCentralWidget(frame);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    m_tabs = new QTabWidget(client);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->setGeometry(ui::twipsRect(0, 0, 9615, 6975));
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setAccessibleName(QStringLiteral("Exercises"));
    connect(m_tabs->tabBar(), &QTabBar::tabBarClicked, this, presses.guarded(this, [this] { SSTab1_Click(); }));

    m_statusLine = ui::label(client, "Label20", QString(), ui::twipsRect(120, 7080, 4935, 255));
    ui::setTextColour(m_statusLine, QColor(0xC0, 0, 0));
    m_statusLine->setAccessibleName(Feedback::EmptyLineName);
    m_soundOff = ui::checkBox(client, "Sound_off", QStringLiteral("Sound off"), ui::twipsRect(5880, 7080, 3255, 255), false);
    m_listening->setSoundOff(m_soundOff);

    m_blinker = new QTimer(this);
    m_blinker->setObjectName(QStringLiteral("blinker"));
    m_blinker->setInterval(1000);
    connect(m_blinker, &QTimer::timeout, this, &MainWindow::blinker_Timer);
    m_services.clock.start(*m_blinker);

    // Opened here, so no window exists without its data; Form_Load shows a problem with the file.
    const QStringList search = userFileSearch(m_services.databaseFile);
    m_databaseProblem = m_database.open(search);
    qCInfo(lcStartup, "music data: %s", m_database.usingBuiltIn() ? "built-in" : qPrintable(firstPresent(search)));
    const QString connection = m_database.connectionName();
    auto *ladders = new RecordCursor(connection, tables::Ladders, this);
    ladders->setObjectName(QStringLiteral("Data1"));
    auto *chordKinds = new RecordCursor(connection, tables::ChordKinds, this);
    chordKinds->setObjectName(QStringLiteral("Data2"));
    auto *intervals = new RecordCursor(connection, tables::Intervals, this);
    intervals->setObjectName(QStringLiteral("Data3"));

    m_feedback = new Feedback(m_statusLine, m_soundOff, m_services.sound, this);
    m_context.reset(new ExerciseContext{m_database, *ladders, *chordKinds, *intervals, m_services.random, m_services.clock, m_services.prompter,
                                        *m_feedback, presses, *m_listening, cheatMode});

    for (const Exercise &exercise : Exercises) {
        ExercisePage *page = exercise.create(m_tabs, *m_context);
        m_tabs->addTab(page, QLatin1String(exercise.tabCaption));
        if (exercise.openFirst)
            m_tabs->setCurrentWidget(page);
        connect(page, &ExercisePage::questionChanged, this, &MainWindow::updateListenMenu);
        connect(page, &ExercisePage::scoreChanged, this, [this, page] {
            if (m_answerShownOn == page && page->practiceNote().isEmpty()) // a new question
                m_answerShownOn = nullptr;
            updateScoreBar();
            updatePracticeMenu();
        });
        m_exercises << page;
    }
    m_about = new AboutPage(m_tabs, m_services.sound);
    m_tabs->addTab(m_about, QStringLiteral("About"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &MainWindow::updateListenMenu);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        m_answerShownOn = nullptr;
        updateScoreBar();
        updatePracticeMenu();
    });
    updateListenMenu();
    updatePracticeMenu();

    // Tab walks each page in reading order (the hidden pages' controls are passed over), the
    // status strip last.
    QList<QWidget *> focusOrder{m_tabs->tabBar()};
    for (int i = 0; i < m_tabs->count(); ++i)
        focusOrder << ui::readingOrder(m_tabs->widget(i));
    focusOrder << m_soundOff;
    ui::chainFocus(focusOrder);
    // The first key a player presses then shows where it lands: on the opening tab's go button.
    if (auto *page = qobject_cast<ExercisePage *>(m_tabs->currentWidget()); page && page->goButton())
        page->goButton()->setFocus(Qt::OtherFocusReason);

    // Window shortcuts: a message box, being a window of its own, keeps them from firing.
    auto *quit = new QShortcut(this);
    QList<QKeySequence> quitKeys{QKeySequence(Qt::CTRL | Qt::Key_Q)};
    for (const QKeySequence &key : QKeySequence::keyBindings(QKeySequence::Quit)) {
        if (!quitKeys.contains(key))
            quitKeys << key;
    }
    quit->setKeys(quitKeys);
    connect(quit, &QShortcut::activated, this, presses.guarded(this, [this] { Exit_Click(); }));
    auto *enter = new QShortcut(this);
    enter->setKeys({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    connect(enter, &QShortcut::activated, this, presses.guarded(this, [this] { pressOnReturn(); }));
}

// Return presses the focused push button or key button, as Space does; elsewhere (the tab strip,
// a check box, nothing) it asks the page's next question.
void MainWindow::pressOnReturn()
{
    QWidget *focus = QApplication::focusWidget();
    if (qobject_cast<QPushButton *>(focus) || qobject_cast<QRadioButton *>(focus)) {
        if (focus->isEnabled() && focus->isVisible())
            static_cast<QAbstractButton *>(focus)->click();
        return;
    }
    if (auto *page = qobject_cast<ExercisePage *>(m_tabs->currentWidget()); page && page->goButton())
        page->goButton()->click();
}

MainWindow::~MainWindow() = default;

void MainWindow::Form_Load()
{
    m_about->setVersionText(QStringLiteral("version: ") + versionNumber());

    qCInfo(lcStartup, "CheatMode %s", m_context->cheatMode ? "on" : "off");

    if (!m_databaseProblem.isEmpty())
        m_services.prompter.inform(m_databaseProblem, Prompter::Icon::Warning);

    m_services.sound.play(sounds::Start);
}

void MainWindow::Exit_Click()
{
    if (!m_services.prompter.askYesNo(QStringLiteral("Quiting"), QStringLiteral("Quit Program?")))
        return;
    m_listening->stop();
    m_services.sound.play(sounds::Quit);
    hide();
    emit quitRequested();
}

void MainWindow::SSTab1_Click()
{
    m_feedback->clear();
}

void MainWindow::playQuestion()
{
    if (auto *page = qobject_cast<ExercisePage *>(m_tabs->currentWidget()))
        m_listening->play(page->questionSound());
}

// The items work only with a SoundFont to play from, and "Play the question" only on a tab that
// has a question.
void MainWindow::updateListenMenu()
{
    const QString unavailable = m_listening->unavailableReason();
    for (QAction *item : std::as_const(m_listenItems))
        item->setEnabled(unavailable.isEmpty());
    m_listenUnavailable->setText(unavailable.isEmpty() ? QStringLiteral("Questions can be heard") : unavailable);
    m_listenUnavailable->setVisible(!unavailable.isEmpty());
    auto *page = qobject_cast<ExercisePage *>(m_tabs->currentWidget());
    m_playQuestion->setEnabled(unavailable.isEmpty() && page && !page->questionSound().isEmpty());
}

ExercisePage *MainWindow::currentExercise() const
{
    return qobject_cast<ExercisePage *>(m_tabs->currentWidget());
}

void MainWindow::updatePracticeMenu()
{
    ExercisePage *page = currentExercise();
    m_resetScore->setEnabled(page != nullptr);
    m_showAnswer->setEnabled(page && page->hasQuestion());
}

// The score of the tab in front, and a word on its last answer; with the score hidden, only an
// answer asked for with "Show the answer".
void MainWindow::updateScoreBar()
{
    ExercisePage *page = currentExercise();
    QString text;
    if (page && m_showScore->isChecked()) {
        text = page->score().line(m_tabs->tabText(m_tabs->currentIndex()).trimmed());
        if (!page->practiceNote().isEmpty())
            text += QStringLiteral(". ") + page->practiceNote();
    } else if (page && page == m_answerShownOn) {
        text = page->practiceNote();
    }
    const bool shown = m_showScore->isChecked() || !text.isEmpty();
    m_scoreBar->setText(text);
    m_scoreBar->setToolTip(text);
    m_scoreBar->setVisible(shown);
    m_feedback->setDetail(shown ? text : QString());
}

void MainWindow::chooseWhatToDrill()
{
    // The data as the next press will see it; what a press would say of it is said here instead.
    const MusicDatabase::PressCheck check = m_database.refresh();
    if (!check.message.isEmpty())
        m_services.prompter.inform(check.message, Prompter::Icon::Warning);
    if (!check.ready)
        return;
    const PressSnapshot snapshot(m_context->ladders);
    const Expected<RecordCursor::Distinct> keys =
        m_context->ladders.distinctValues(fields::Key, keysByFifths(), DrillDialog::MaxBoxes);
    QStringList codes;
    for (const ChordButton &button : chordButtons())
        codes << QString::fromLatin1(button.code);
    const Expected<RecordCursor::Distinct> kinds =
        m_context->chordKinds.distinctValues(fields::ChordKind, codes, DrillDialog::MaxBoxes);
    for (const QString &problem : {keys.error(), kinds.error()}) {
        if (!problem.isEmpty()) {
            m_services.prompter.inform(problem, Prompter::Icon::Warning);
            return;
        }
    }

    QList<DrillDialog::Page> pages;
    for (ExercisePage *page : std::as_const(m_exercises)) {
        DrillDialog::Page choice{m_tabs->tabText(m_tabs->indexOf(page)), page->keysCaption(), page->keyChoice(), false, {}};
        if (auto *chords = qobject_cast<ChordsPage *>(page)) {
            choice.hasKinds = true;
            choice.kinds = chords->kindChoice();
        }
        pages << choice;
    }
    auto *dialog = new DrillDialog(*keys, *kinds, pages, int(m_exercises.indexOf(currentExercise())), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const QList<DrillDialog::Page> chosen = dialog->choices();
        for (qsizetype i = 0; i < chosen.size() && i < m_exercises.size(); ++i) {
            m_exercises[i]->setKeyChoice(chosen[i].keys);
            if (auto *chords = qobject_cast<ChordsPage *>(m_exercises[i]))
                chords->setKindChoice(chosen[i].kinds);
        }
    });
    dialog->open();
}

void MainWindow::showAnswer()
{
    ExercisePage *page = currentExercise();
    if (!page || !page->showAnswer())
        return;
    m_answerShownOn = page;
    updateScoreBar();
}

void MainWindow::blinker_Timer()
{
    m_statusLine->setVisible(!m_statusLine->isVisible());
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (QWindow *window = windowHandle(); window && !m_exposed)
        window->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() && !m_exposed && windowHandle()->isExposed()) {
        m_exposed = true;
        qCInfo(lcStartup, "main window exposed, %d widgets", int(findChildren<QWidget *>().size()));
        watched->removeEventFilter(this);
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace velmora
