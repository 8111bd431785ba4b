#include "app/mainwindow.h"

#include "app/aboutpage.h"
#include "music/valuechoice.h"
#include "practice/practicesession.h"
#include "exercises/relations/relations.h"
#include "exercises/intervals/intervals.h"
#include "app/progresswindow.h"
#include "app/drilldialog.h"
#include "app/screenfit.h"
#include "app/terminationsignals.h"
#include "app/startuplog.h"
#include "music/files/userfiles.h"
#include "ui/clock.h"
#include "sound/notesynth.h"
#include "ui/captions.h"
#include "ui/keyboard.h"
#include "ui/exercisepage.h"
#include "exercises/chords/chordquestion.h"
#include "exercises/chords/chordspage.h"
#include "exercises/intervals/intervalspage.h"
#include "exercises/relations/relationspage.h"
#include "exercises/transpose/transposepage.h"
#include "ui/feedback.h"
#include "ui/prompter.h"
#include "sound/soundplayer.h"
#include "ui/controls.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QTableWidget>
#include <QScreen>
#include <QHeaderView>
#include <QFileInfo>
#include <QDialogButtonBox>
#include <QDialog>
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
// own folder under src/exercises, one add_subdirectory line in src/CMakeLists.txt, and one here.
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
    {QT_TRANSLATE_NOOP("Velmora", "Intervals"), create<IntervalsPage>},
    {QT_TRANSLATE_NOOP("Velmora", "Mineur / Majeur Relations "), create<RelationsPage>},
    {QT_TRANSLATE_NOOP("Velmora", "Chords"), create<ChordsPage>, true},
    {QT_TRANSLATE_NOOP("Velmora", "Transpose"), create<TransposePage>},
};

// The window's own keys, as the Help menu lists them beside the buttons' keys.
struct WindowKey
{
    const char *keys;
    const char *does;
};
constexpr WindowKey WindowKeys[] = {
    {QT_TRANSLATE_NOOP("Velmora", "Ctrl+N"), QT_TRANSLATE_NOOP("Velmora", "presses the shown tab's go button: the next question")},
    {QT_TRANSLATE_NOOP("Velmora", "Return, Enter"), QT_TRANSLATE_NOOP("Velmora", "presses the focused button; elsewhere the go button")},
    {QT_TRANSLATE_NOOP("Velmora", "Space"), QT_TRANSLATE_NOOP("Velmora", "presses the focused button")},
    {QT_TRANSLATE_NOOP("Velmora", "Tab, Shift+Tab"), QT_TRANSLATE_NOOP("Velmora", "moves through the page in reading order")},
    {QT_TRANSLATE_NOOP("Velmora", "Ctrl+Tab, Ctrl+PgDown"), QT_TRANSLATE_NOOP("Velmora", "shows the next tab")},
    {QT_TRANSLATE_NOOP("Velmora", "Ctrl+P"), QT_TRANSLATE_NOOP("Velmora", "plays the question")},
    {QT_TRANSLATE_NOOP("Velmora", "Alt+P"), QT_TRANSLATE_NOOP("Velmora", "opens the Practice menu")},
    {QT_TRANSLATE_NOOP("Velmora", "Ctrl+Q"), QT_TRANSLATE_NOOP("Velmora", "Exit, with its question")},
};
constexpr QKeyCombination NextQuestionKey = Qt::CTRL | Qt::Key_N;

// The tab caption a page was added with, for a change of language.
constexpr char TabCaption[] = "velmoraTabCaption";

} // namespace

QString versionNumber()
{
    return QStringLiteral("%1.%2.%3").arg(VELMORA_VERSION_MAJOR).arg(VELMORA_VERSION_MINOR).arg(VELMORA_VERSION_PATCH);
}

MainWindow::MainWindow(Services services, bool cheatMode, Listening::Choices listen, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_services(std::move(services)), m_presses(m_services.sound),
      m_database(m_services.accessReading), m_practice(new PracticeSession(this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    QAction *exit = menuBar()->addAction(QString());
    exit->setObjectName(QStringLiteral("Exit"));
    ui::setCaption(exit, QT_TRANSLATE_NOOP("Velmora", "Exit"));
    PressGate &presses = m_presses;
    connect(exit, &QAction::triggered, this, presses.guarded(this, [this] { Exit_Click(); }));

    // The menus beyond the original window's single item.
    m_listening = new Listening(m_services.sound, m_services.prompter, listen, this);
    presses.setBeforeEachPress([this] { m_listening->stop(); });
    QMenu *listenMenu = addMenu("mnuListen", QT_TRANSLATE_NOOP("Velmora", "Listen"), QT_TRANSLATE_NOOP("Velmora", "Listen"));
    m_playQuestion = addItem(listenMenu, "PlayQuestion", QT_TRANSLATE_NOOP("Velmora", "Play the question"));
    m_playQuestion->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(m_playQuestion, &QAction::triggered, this, presses.guarded(this, [this] { playQuestion(); }));
    QAction *hear = addItem(listenMenu, "HearEachQuestion", QT_TRANSLATE_NOOP("Velmora", "Hear each question"), listen.hearEachQuestion);
    connect(hear, &QAction::toggled, m_listening, &Listening::setHearEachQuestion);
    QAction *byEar = addItem(listenMenu, "ChordsByEar", QT_TRANSLATE_NOOP("Velmora", "Chords by ear"), listen.chordsByEar);
    connect(byEar, &QAction::toggled, m_listening, &Listening::setChordsByEar);
    m_listenItems = {m_playQuestion, hear, byEar};
    m_listenUnavailable = listenMenu->addAction(QString());
    m_listenUnavailable->setObjectName(QStringLiteral("ListenUnavailable"));
    m_listenUnavailable->setEnabled(false);
    connect(m_listening, &Listening::availabilityChanged, this, &MainWindow::updateListenMenu);

    // Alt+P: the Practice menu, and with it the choice of what to drill, by keyboard too.
    QMenu *practiceMenu = addMenu("mnuPractice", QT_TRANSLATE_NOOP("Velmora", "&Practice"), QT_TRANSLATE_NOOP("Velmora", "Practice"));
    QAction *choose = addItem(practiceMenu, "ChooseDrill", QT_TRANSLATE_NOOP("Velmora", "Choose what to drill..."));
    connect(choose, &QAction::triggered, this, presses.guarded(this, [this] { chooseWhatToDrill(); }));
    m_showScore = addItem(practiceMenu, "ShowScore", QT_TRANSLATE_NOOP("Velmora", "Show my score"), false);
    connect(m_showScore, &QAction::toggled, this, &MainWindow::updateScoreBar);
    m_resetScore = addItem(practiceMenu, "ResetScore", QT_TRANSLATE_NOOP("Velmora", "Reset my score"));
    connect(m_resetScore, &QAction::triggered, this, [this] {
        if (ExercisePage *page = currentExercise())
            page->resetScore();
    });
    m_showAnswer = addItem(practiceMenu, "ShowAnswer", QT_TRANSLATE_NOOP("Velmora", "Show the answer"));
    connect(m_showAnswer, &QAction::triggered, this, presses.guarded(this, [this] { showAnswer(); }));
    practiceMenu->addSeparator();
    m_keepProgress = addItem(practiceMenu, "KeepProgress", QT_TRANSLATE_NOOP("Velmora", "Keep my progress"), false);
    connect(m_keepProgress, &QAction::toggled, this, presses.guarded(this, [this](bool on) { setKeepingProgress(on); }));
    QAction *weakSpots = addItem(practiceMenu, "WeakSpots", QT_TRANSLATE_NOOP("Velmora", "Practise my weak spots"), false);
    connect(weakSpots, &QAction::toggled, m_practice, &PracticeSession::setPractisingWeakSpots);
    connect(addItem(practiceMenu, "ShowProgress", QT_TRANSLATE_NOOP("Velmora", "Progress...")), &QAction::triggered, this,
            presses.guarded(this, [this] { showProgress(); }));
    connect(m_practice, &PracticeSession::keepingFailed, this, [this](const QString &reason) {
        const QSignalBlocker quiet(m_keepProgress);
        m_keepProgress->setChecked(false);
        m_services.prompter.inform(reason, Prompter::Icon::Warning);
    });

    QMenu *viewMenu = addMenu("mnuView", QT_TRANSLATE_NOOP("Velmora", "View"), QT_TRANSLATE_NOOP("Velmora", "View"));
    QAction *english = addItem(viewMenu, "PlainEnglish", QT_TRANSLATE_NOOP("Velmora", "Plain English captions"), ui::plainEnglish());
    m_keptTicks = {m_showScore, weakSpots, hear, byEar, english};
    for (QAction *tick : std::as_const(m_keptTicks))
        connect(tick, &QAction::toggled, this, &MainWindow::saveSettings);
    connect(english, &QAction::toggled, this, [english](bool on) {
        if (!ui::setPlainEnglish(on))
            english->setChecked(false);
    });

    QMenu *helpMenu = addMenu("mnuHelp", QT_TRANSLATE_NOOP("Velmora", "Help"), QT_TRANSLATE_NOOP("Velmora", "Help"));
    connect(addItem(helpMenu, "HelpKeys", QT_TRANSLATE_NOOP("Velmora", "Keys")), &QAction::triggered, this,
            presses.guarded(this, [this] { showKeys(); }));
    connect(addItem(helpMenu, "HelpCredits", QT_TRANSLATE_NOOP("Velmora", "Credits and licence")), &QAction::triggered, this,
            presses.guarded(this, [this] { showCredits(); }));

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
    ui::setAccessibleCaption(m_tabs, QT_TRANSLATE_NOOP("Velmora", "Exercises"));
    connect(m_tabs->tabBar(), &QTabBar::tabBarClicked, this, presses.guarded(this, [this] { SSTab1_Click(); }));
    // A change of tab from the keyboard empties the verdict line as a click on the strip does.
    m_tabs->installEventFilter(this);
    m_tabs->tabBar()->installEventFilter(this);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        qCDebug(lcWindow, "tab shown: %s", qPrintable(m_tabs->widget(index)->objectName()));
        if (m_keyOnTabs)
            SSTab1_Click();
    });

    m_statusLine = ui::label(client, "Label20", QString(), ui::twipsRect(120, 7080, 4935, 255));
    ui::setTextColour(m_statusLine, QColor(0xC0, 0, 0));
    m_statusLine->setAccessibleName(Feedback::EmptyLineName);
    m_soundOff = ui::checkBox(client, "Sound_off", QT_TRANSLATE_NOOP("Velmora", "Sound off"), ui::twipsRect(5880, 7080, 3255, 255), false);
    m_listening->setSoundOff(m_soundOff);

    m_blinker = new QTimer(this);
    m_blinker->setObjectName(QStringLiteral("blinker"));
    m_blinker->setInterval(1000);
    connect(m_blinker, &QTimer::timeout, this, &MainWindow::blinker_Timer);
    m_services.clock.start(*m_blinker);

    // Opened here, so no window exists without its data; Form_Load shows a problem with the file.
    const QStringList search = userFileSearch(m_services.databaseFile);
    m_databaseProblem = MusicDatabase::toSay(m_database.open(search));
    qCInfo(lcStartup, "music data: %s", m_database.usingBuiltIn() ? "built-in" : qPrintable(firstPresent(search)));
    const QString connection = m_database.connectionName();
    auto *ladders = new RecordCursor(connection, tables::Ladders, this);
    ladders->setObjectName(QStringLiteral("Data1"));
    auto *chordKinds = new RecordCursor(connection, tables::ChordKinds, this);
    chordKinds->setObjectName(QStringLiteral("Data2"));
    auto *intervals = new RecordCursor(connection, tables::Intervals, this);
    intervals->setObjectName(QStringLiteral("Data3"));

    m_feedback = new Feedback(m_statusLine, m_soundOff, m_presses, this);
    m_context.reset(new ExerciseContext{m_database, *ladders, *chordKinds, *intervals, m_services.random, m_services.clock, m_services.prompter,
                                        *m_feedback, presses, *m_listening, *m_practice, cheatMode});

    for (const Exercise &exercise : Exercises) {
        ExercisePage *page = exercise.create(m_tabs, *m_context);
        m_tabs->addTab(page, ui::caption(exercise.tabCaption));
        page->setProperty(TabCaption, QByteArray(exercise.tabCaption));
        if (page->goButton())
            page->goButton()->setToolTip(ui::caption(QT_TRANSLATE_NOOP("Velmora", "Key: %1"))
                                             .arg(QKeySequence(NextQuestionKey).toString(QKeySequence::NativeText)));
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
    m_about = new AboutPage(m_tabs, m_presses);
    m_tabs->addTab(m_about, ui::caption(QT_TRANSLATE_NOOP("Velmora", "About")));
    m_about->setProperty(TabCaption, QByteArray(QT_TRANSLATE_NOOP("Velmora", "About")));
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

    // The tabs' option boxes are kept with the progress as the player leaves them, and kept
    // progress brings them back, with the choices and the ticks, before the first press.
    for (ExercisePage *page : std::as_const(m_exercises)) {
        for (QAbstractButton *box : page->findChildren<QAbstractButton *>()) {
            if (qobject_cast<QCheckBox *>(box) || qobject_cast<QRadioButton *>(box))
                connect(box, &QAbstractButton::toggled, this, &MainWindow::saveSettings);
        }
    }
    const QHash<QString, QString> kept = ProgressStore::peekSettings(m_services.progressFile);
    if (kept.value(QStringLiteral("keep")) == QLatin1String("1")) {
        m_keepProblem = m_practice->startKeeping(m_services.progressFile, ProgressStore::Check::Quick);
        if (m_keepProblem.isEmpty()) {
            restoreSettings(kept);
            const QSignalBlocker quiet(m_keepProgress);
            m_keepProgress->setChecked(true);
        }
    }

    // Window shortcuts: a message box, being a window of its own, keeps them from firing.
    auto *quit = new QShortcut(this);
    QList<QKeySequence> quitKeys{QKeySequence(Qt::CTRL | Qt::Key_Q)};
    for (const QKeySequence &key : QKeySequence::keyBindings(QKeySequence::Quit)) {
        if (!quitKeys.contains(key))
            quitKeys << key;
    }
    quit->setKeys(quitKeys);
    connect(quit, &QShortcut::activated, this, presses.guarded(this, [this] { Exit_Click(); }));
    auto *next = new QShortcut(QKeySequence(NextQuestionKey), this);
    connect(next, &QShortcut::activated, this, presses.guarded(this, [this] {
        if (ExercisePage *page = currentExercise(); page && page->goButton())
            page->goButton()->click();
    }));
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

void MainWindow::Form_Load(std::function<void()> loaded)
{
    m_about->setVersionText(QStringLiteral("version: ") + versionNumber());

    qCInfo(lcStartup, "CheatMode %s", m_context->cheatMode ? "on" : "off");

    if (!m_databaseProblem.isEmpty())
        m_services.prompter.inform(m_databaseProblem, Prompter::Icon::Warning);
    if (!m_keepProblem.isEmpty())
        m_services.prompter.inform(m_keepProblem, Prompter::Icon::Warning);
    // The whole of the kept file is looked at once the window is up.
    QTimer::singleShot(0, m_practice, &PracticeSession::verifyKept);

    m_presses.playHeld(sounds::Start, std::move(loaded));
}

void MainWindow::Exit_Click()
{
    if (!m_services.prompter.askYesNo(ui::caption(QT_TRANSLATE_NOOP("Velmora", "Quiting")),
                                      ui::caption(QT_TRANSLATE_NOOP("Velmora", "Quit Program?")))
        || TerminationSignals::received()) // ended meanwhile: as closed by other means, without the sound
        return;
    m_listening->stop();
    m_presses.playHeld(sounds::Quit, [this] {
        hide();
        emit quitRequested();
    });
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
    m_listenUnavailable->setText(unavailable.isEmpty() ? ui::caption(QT_TRANSLATE_NOOP("Velmora", "Questions can be heard")) : unavailable);
    m_listenUnavailable->setVisible(!unavailable.isEmpty());
    auto *page = qobject_cast<ExercisePage *>(m_tabs->currentWidget());
    m_playQuestion->setEnabled(unavailable.isEmpty() && page && !page->questionSound().isEmpty());
}

QMenu *MainWindow::addMenu(const char *name, const char *title, const char *accessibleTitle)
{
    QMenu *menu = menuBar()->addMenu(QString());
    menu->setObjectName(QLatin1String(name));
    ui::setCaption(menu->menuAction(), title);
    ui::setAccessibleCaption(menu, accessibleTitle);
    return menu;
}

QAction *MainWindow::addItem(QMenu *menu, const char *name, const char *caption, std::optional<bool> ticked)
{
    QAction *item = menu->addAction(QString());
    item->setObjectName(QLatin1String(name));
    ui::setCaption(item, caption);
    if (ticked) {
        item->setCheckable(true);
        item->setChecked(*ticked);
    }
    return item;
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui::retranslate(this);
        for (int i = 0; i < m_tabs->count(); ++i)
            m_tabs->setTabText(i, ui::caption(m_tabs->widget(i)->property(TabCaption).toByteArray().constData()));
        updateListenMenu();
        updateScoreBar();
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::showKeys()
{
    auto *dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("KeysDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(ui::caption(QT_TRANSLATE_NOOP("Velmora", "Keys")));
    auto *table = new QTableWidget(0, 2, dialog);
    table->setObjectName(QStringLiteral("KeysTable"));
    table->setAccessibleName(ui::caption(QT_TRANSLATE_NOOP("Velmora", "Keys")));
    table->setHorizontalHeaderLabels({ui::caption(QT_TRANSLATE_NOOP("Velmora", "Key")),
                                      ui::caption(QT_TRANSLATE_NOOP("Velmora", "What it does"))});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    const auto addRow = [table](const QString &keys, const QString &does) {
        const int row = table->rowCount();
        table->insertRow(row);
        table->setItem(row, 0, new QTableWidgetItem(keys));
        table->setItem(row, 1, new QTableWidgetItem(does));
    };
    for (const WindowKey &key : WindowKeys)
        addRow(ui::caption(key.keys), ui::caption(key.does));
    // The answer buttons' keys, as their tool tips give them.
    for (ExercisePage *page : std::as_const(m_exercises)) {
        const QString tab = m_tabs->tabText(m_tabs->indexOf(page)).trimmed();
        for (QAbstractButton *button : page->findChildren<QAbstractButton *>()) {
            const QStringList keys = ui::keysOf(button);
            if (!keys.isEmpty())
                addRow(keys.join(ui::caption(QT_TRANSLATE_NOOP("Velmora", " or "))), QStringLiteral("%1: %2").arg(tab, button->text().simplified()));
        }
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    resizeWithinScreen(dialog, this, {560, 420});
    dialog->open();
}

void MainWindow::showCredits()
{
    const QString userFont = firstPresent(userFileSearch(QStringLiteral("velmora.sf2")));
    QString soundFont = userFont;
    for (const QString &system : NoteSynth::systemSoundFonts()) {
        if (soundFont.isEmpty() && QFileInfo::exists(system))
            soundFont = system;
    }
    const QString font = soundFont.isEmpty() ? ui::caption(QT_TRANSLATE_NOOP("Velmora", "none found"))
                         : soundFont == userFont
                             ? ui::caption(QT_TRANSLATE_NOOP("Velmora", "%1, your own")).arg(shownPath(soundFont))
                             : ui::caption(QT_TRANSLATE_NOOP("Velmora", "%1 (%2, from Debian's timgm6mb-soundfont: TimGM6mb "
                                                                         "by Tim Brechbill, GNU GPL 2)"))
                                   .arg(shownPath(soundFont), QFileInfo(soundFont).canonicalFilePath());
    m_services.prompter.inform(
        ui::caption(QT_TRANSLATE_NOOP("Velmora", "Velmora %1\n\nLicence: MIT (see the file copyright beside the program's "
                                                 "documentation).\nFont: Liberation Sans 2, SIL Open Font License 1.1.\n"
                                                 "SoundFont: %2.\nYour own files (Chords-VB.mdb, sound/1.wav to 4.wav, "
                                                 "trumpet.gif, velmora.sf2) are looked for in the working directory, then "
                                                 "in %3.\nYour progress, while \"Keep my progress\" is ticked, is kept in %4."))
            .arg(versionNumber(), font, shownPath(userDataDirectory()), shownPath(m_services.progressFile)));
}

namespace {

QString tickSetting(const QObject *item)
{
    return QStringLiteral("tick.") + item->objectName();
}

QString boxSetting(const ExercisePage *page, const QObject *box)
{
    return QStringLiteral("box.%1.%2").arg(page->practiceTab(), box->objectName());
}

QString keysSetting(const ExercisePage *page)
{
    return QStringLiteral("keys.") + page->practiceTab();
}

const QString KindsSetting = QStringLiteral("kinds.Chords");

} // namespace

QHash<QString, QString> MainWindow::keptSettings() const
{
    QHash<QString, QString> settings{{QStringLiteral("keep"), QStringLiteral("1")}};
    for (const QAction *tick : m_keptTicks)
        settings.insert(tickSetting(tick), QString::number(int(tick->isChecked())));
    for (const ExercisePage *page : m_exercises) {
        settings.insert(keysSetting(page), page->keyChoice().toText());
        if (const auto *chords = qobject_cast<const ChordsPage *>(page))
            settings.insert(KindsSetting, chords->kindChoice().toText());
        for (const QAbstractButton *box : page->findChildren<QAbstractButton *>()) {
            if (qobject_cast<const QCheckBox *>(box) || qobject_cast<const QRadioButton *>(box))
                settings.insert(boxSetting(page, box), QString::number(int(box->isChecked())));
        }
    }
    return settings;
}

void MainWindow::restoreSettings(const QHash<QString, QString> &settings)
{
    m_restoring = true;
    for (QAction *tick : std::as_const(m_keptTicks)) {
        if (const auto value = settings.constFind(tickSetting(tick)); value != settings.cend())
            tick->setChecked(*value == QLatin1String("1"));
    }
    for (ExercisePage *page : std::as_const(m_exercises)) {
        page->setKeyChoice(ValueChoice::fromText(settings.value(keysSetting(page), QStringLiteral("*"))));
        if (auto *chords = qobject_cast<ChordsPage *>(page))
            chords->setKindChoice(ValueChoice::fromText(settings.value(KindsSetting, QStringLiteral("*"))));
        for (QAbstractButton *box : page->findChildren<QAbstractButton *>()) {
            const auto value = settings.constFind(boxSetting(page, box));
            if (value != settings.cend() && (qobject_cast<QCheckBox *>(box) || qobject_cast<QRadioButton *>(box)) && box->isEnabled())
                box->setChecked(*value == QLatin1String("1"));
        }
    }
    m_restoring = false;
}

void MainWindow::saveSettings()
{
    if (!m_restoring && m_practice->keeping())
        m_practice->keepSettings(keptSettings());
}

void MainWindow::setKeepingProgress(bool on)
{
    const QString where = shownPath(m_services.progressFile);
    if (!on) {
        const bool forget = m_services.prompter.askYesNo(ui::caption(QT_TRANSLATE_NOOP("Velmora", "Keep my progress")),
                                                         ui::caption(QT_TRANSLATE_NOOP("Velmora", "Delete what was kept in %1?")).arg(where));
        m_practice->stopKeeping(forget);
        return;
    }
    m_services.prompter.inform(ui::caption(QT_TRANSLATE_NOOP("Velmora", "From now on your answers, what you chose to drill, the "
                                                                        "menus' ticks and the tabs' options are kept in %1."))
                                   .arg(where));
    if (const QString problem = m_practice->startKeeping(m_services.progressFile); !problem.isEmpty()) {
        const QSignalBlocker quiet(m_keepProgress);
        m_keepProgress->setChecked(false);
        m_services.prompter.inform(problem, Prompter::Icon::Warning);
        return;
    }
    saveSettings();
}

void MainWindow::showProgress()
{
    const QStringList keys = keysByFifths();
    QStringList kinds, pairs, intervals;
    for (const ChordAnswer &answer : chordAnswers()) {
        if (findChordKind(QString::fromLatin1(answer.code)))
            kinds << QLatin1String(answer.code);
    }
    for (const char *score : {"c", "Bb", "Eb"}) {
        for (const char *player : {"C", "Bb", "Eb"})
            pairs << QStringLiteral("%1>%2").arg(QLatin1String(score), QLatin1String(player));
    }
    for (const char *direction : {"up", "down"}) {
        for (const IntervalChoice &choice : intervalChoices())
            intervals << intervalColumn(QLatin1String(choice.name), QLatin1String(direction));
    }
    const auto same = [](const QString &column) { return column; };
    const auto tabOf = [this](const char *name) {
        for (ExercisePage *page : std::as_const(m_exercises)) {
            if (page->practiceTab() == QLatin1String(name))
                return m_tabs->tabText(m_tabs->indexOf(page));
        }
        return QString::fromLatin1(name);
    };
    QList<ProgressWindow::Map> maps{
        {QStringLiteral("Chords"), tabOf("Chords"), keys, kinds,
         [](const QString &code) {
             const ChordAnswer *answer = chordAnswerFor(code);
             return answer ? ui::caption(answer->caption).simplified() : code;
         }},
        {QStringLiteral("Relations"), tabOf("Relations"), keys, RelationsColumns,
         [](const QString &column) {
             return column == RelationsColumns.first() ? ui::caption(QT_TRANSLATE_NOOP("Velmora", "Majeur Question"))
                                                       : ui::caption(QT_TRANSLATE_NOOP("Velmora", "Mineur Question"));
         }},
        {QStringLiteral("Transpose"), tabOf("Transpose"), keys, pairs,
         [](const QString &pair) { return ui::caption(QT_TRANSLATE_NOOP("Velmora", "%1 score, %2 plays")).arg(pair.section(QLatin1Char('>'), 0, 0).toUpper(), pair.section(QLatin1Char('>'), 1)); }},
        {QStringLiteral("Intervals"), tabOf("Intervals"), keys, intervals, same},
    };
    auto *window = new ProgressWindow(*m_practice, m_services.prompter, maps,
                                      [this](const QString &tab, const QStringList &rows, const QStringList &columns) {
                                          return practiseOnly(tab, rows, columns);
                                      },
                                      this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->open();
}

// "Practise these" in the Progress window: the selected rows' keys (start notes, written notes)
// and on Chords the selected columns' kinds; on Transpose one column also chooses its pair.
QString MainWindow::practiseOnly(const QString &tab, const QStringList &rows, const QStringList &columns)
{
    for (ExercisePage *page : std::as_const(m_exercises)) {
        if (page->practiceTab() != tab)
            continue;
        page->setKeyChoice(ValueChoice::only({rows.begin(), rows.end()}));
        if (auto *chords = qobject_cast<ChordsPage *>(page))
            chords->setKindChoice(ValueChoice::only({columns.begin(), columns.end()}));
        if (tab == QLatin1String("Transpose") && columns.size() == 1) {
            for (const QString &side : {QStringLiteral("Score_") + columns.first().section(QLatin1Char('>'), 0, 0),
                                        QStringLiteral("Instrument_") + columns.first().section(QLatin1Char('>'), 1)}) {
                if (auto *option = page->findChild<QRadioButton *>(side))
                    option->setChecked(true);
            }
        }
        saveSettings();
        return ui::caption(QT_TRANSLATE_NOOP("Velmora", "%1 now asks only the selected rows%2."))
            .arg(m_tabs->tabText(m_tabs->indexOf(page)).trimmed(),
                 tab == QLatin1String("Chords") ? ui::caption(QT_TRANSLATE_NOOP("Velmora", " and columns")) : QString());
    }
    return {};
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
    const Expected<MusicDatabase::Notice> found = m_database.refresh();
    if (const QString said = MusicDatabase::toSay(found); !said.isEmpty())
        m_services.prompter.inform(said, Prompter::Icon::Warning);
    if (!found)
        return;
    const DrawSnapshot snapshot(m_context->ladders);
    const Expected<RecordCursor::Distinct> keys =
        m_context->ladders.distinctValues(fields::Key, keysByFifths(), DrillDialog::MaxBoxes);
    QStringList codes;
    for (const ChordAnswer &answer : chordAnswers())
        codes << QString::fromLatin1(answer.code);
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
        saveSettings();
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

// The window was centred before a window manager framed it, by a guess at its frame: once the real
// frame is known, the whole frame is centred in the screen's free area, its title bar kept on it.
void MainWindow::centreByFrame()
{
    QWindow *window = windowHandle();
    if (!window || !isVisible())
        return;
    if (window->frameMargins().isNull()) {
        constexpr int Looks = 20; // a second: without a window manager there is no frame to wait for
        if (++m_frameLooks < Looks)
            QTimer::singleShot(50, this, &MainWindow::centreByFrame);
        return;
    }
    const QRect available = window->screen()->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(available.center());
    move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (QWindow *window = windowHandle(); window && !m_exposed)
        window->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_tabs || watched == m_tabs->tabBar())) {
        // The change of tab, if the key makes one, comes while the key is handled.
        m_keyOnTabs = true;
        QTimer::singleShot(0, this, [this] { m_keyOnTabs = false; });
        // Ctrl+Tab changes the tab in Qt's tab control; Ctrl+PgDown and Ctrl+PgUp, as elsewhere on
        // the desktop, here.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == m_tabs && key->modifiers() == Qt::ControlModifier
            && (key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp)) {
            const int step = key->key() == Qt::Key_PageDown ? 1 : m_tabs->count() - 1;
            m_tabs->setCurrentIndex((m_tabs->currentIndex() + step) % m_tabs->count());
            return true;
        }
    }
    if (event->type() == QEvent::Expose && watched == windowHandle() && !m_exposed && windowHandle()->isExposed()) {
        m_exposed = true;
        qCInfo(lcStartup, "main window exposed, %d widgets", int(findChildren<QWidget *>().size()));
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, &MainWindow::centreByFrame);
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace velmora
