#pragma once

#include "ui/exercisecontext.h"
#include "ui/listening.h"
#include "ui/pressgate.h"
#include "music/musicdatabase.h"
#include "practice/progressstore.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QMenu;
class QLabel;
class QTabWidget;
class QTimer;

namespace velmora {

class AboutPage;
class Clock;
class ExercisePage;
class Feedback;
class SoundPlayer;

// What the main window is given rather than reaching for: message boxes, sound and the random
// generator, so that tests can stand in for each.
struct Services
{
    Prompter &prompter;
    SoundPlayer &sound;
    RandomSource &random;
    Clock &clock;
    QString databaseFile = QString::fromLatin1(MusicDatabase::DefaultFileName);
    AccessReading accessReading = {};
    QString progressFile = ProgressStore::defaultPath(); // where "Keep my progress" keeps it
};

QString versionNumber();

// Form1: the five tabs of exercises, the blinking status line and "Sound off".
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(Services services, bool cheatMode, Listening::Choices listen = {}, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Runs once, after construction and before the window is shown. `loaded` runs once the start
    // sound has been heard: the window is loaded then.
    void Form_Load(std::function<void()> loaded = {});

    void Exit_Click();
    void pressOnReturn();
    // Held while a sound the window waits for plays.
    const PressGate &presses() const { return m_presses; }
    void SSTab1_Click();
    void blinker_Timer();
    void playQuestion();
    // The Practice menu.
    void chooseWhatToDrill();
    void showAnswer();
    void setKeepingProgress(bool on);
    void showProgress();
    // The Help menu.
    void showKeys();
    void showCredits();

signals:
    void quitRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QMenu *addMenu(const char *name, const char *title, const char *accessibleTitle);
    QAction *addItem(QMenu *menu, const char *name, const char *caption, std::optional<bool> ticked = std::nullopt);
    void centreByFrame();
    QHash<QString, QString> keptSettings() const;
    void restoreSettings(const QHash<QString, QString> &settings);
    void saveSettings();
    QString practiseOnly(const QString &tab, const QStringList &rows, const QStringList &columns);
    void updateListenMenu();
    void updatePracticeMenu();
    void updateScoreBar();
    ExercisePage *currentExercise() const;

    Services m_services;
    PressGate m_presses; // held while a sound the window waits for plays

    MusicDatabase m_database;
    QString m_databaseProblem;
    QTabWidget *m_tabs;
    QLabel *m_statusLine;
    QCheckBox *m_soundOff;
    QTimer *m_blinker;
    Feedback *m_feedback;
    Listening *m_listening;
    QAction *m_playQuestion;
    QList<QAction *> m_listenItems;
    QAction *m_listenUnavailable;
    QAction *m_showScore;
    QAction *m_resetScore;
    QAction *m_showAnswer;
    QAction *m_keepProgress;
    QList<QAction *> m_keptTicks; // the menus' ticks kept with the progress
    class PracticeSession *m_practice;
    QLabel *m_scoreBar;
    QList<ExercisePage *> m_exercises;
    ExercisePage *m_answerShownOn = nullptr; // "Show the answer" shows the bar until its next question
    bool m_keyOnTabs = false; // a key press on the tab control is being handled
    bool m_restoring = false; // the kept settings are being put back, not changed by the player
    QString m_keepProblem;    // the kept progress could not be opened at start: said by Form_Load
    int m_frameLooks = 0;     // how often the window manager's frame has been looked for
    std::unique_ptr<ExerciseContext> m_context;
    AboutPage *m_about;
    bool m_exposed = false;
};

} // namespace velmora
