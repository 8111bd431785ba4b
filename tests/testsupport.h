#pragma once

#include "app/mainwindow.h"
#include "ui/clock.h"
#include "ui/prompter.h"
#include "music/random.h"
#include "sound/soundplayer.h"
#include "testdata.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

namespace velmora::test {

// Answers message boxes without showing any, and remembers what they said.
class FakePrompter : public Prompter
{
public:
    void inform(const QString &text, Icon) override { messages << text; }
    bool askYesNo(const QString &title, const QString &text) override
    {
        questions << title + QLatin1Char('|') + text;
        return answerYes;
    }
    QString saveFileName(const QString &, const QString &) override { return saveAs; }

    QStringList messages;
    QStringList questions;
    bool answerYes = false;
    QString saveAs;
};

// Remembers what it was asked to play. With a length, each sound is heard that long after it was
// asked for; without one, at once.
class FakeSoundPlayer : public SoundPlayer
{
public:
    QStringList played;
    int lengthMs = 0;
    std::function<void(const QString &)> onStart;
    // Questions' notes: as if a server took them, unless told otherwise; they arrive from the
    // synthesizer's thread, so a test waits for them.
    bool detachedPlays = true;
    int detachedStarts = 0;
    int detachedStops = 0;
    bool startDetached(const PcmSound &) override
    {
        ++detachedStarts;
        return detachedPlays;
    }
    void stopDetached() override { ++detachedStops; }
    void play(const QString &relativePath, QObject *receiver, std::function<void()> heard) override;
};

// A clock that stands still until a test moves it; the timers it starts never fire on their own.
class ManualClock : public Clock
{
public:
    void start(QTimer &timer) override;
    bool isRunning(const QTimer &timer) const;
    // Moves time on by `ms`, firing every timer that falls due, in the order they fall due.
    void advance(int ms);

private:
    struct Running
    {
        QPointer<QTimer> timer;
        qint64 due;
    };
    std::vector<Running> m_running;
    qint64 m_now = 0;
};

// A main window as the splash would load it, with fakes for everything a test must not touch.
struct Harness
{
    explicit Harness(bool cheatMode = false, const QString &databaseFile = QStringLiteral("no-such-Chords-VB.mdb"),
                     std::uint64_t seed = 7)
        : random(seed), window(Services{prompter, sound, random, clock, databaseFile, builtExporter()}, cheatMode)
    {
        window.Form_Load();
    }
    // Plays through `player` (a real one) instead of the fake; the test runs Form_Load, and with
    // it the start sound, when it wants to.
    explicit Harness(SoundPlayer &player, bool cheatMode = false)
        : random(3), window(Services{prompter, player, random, clock, QStringLiteral("no-such-Chords-VB.mdb")}, cheatMode)
    {
    }

    template <typename T = QWidget>
    T *find(const QString &name) const
    {
        auto *widget = window.findChild<T *>(name);
        if (!widget)
            qFatal("no control named %s", qPrintable(name));
        return widget;
    }

    // Shows the window and waits until it is on the screen (`active`: and has the keyboard focus).
    bool show(bool active = false)
    {
        window.show();
        return active ? QTest::qWaitForWindowActive(&window) : QTest::qWaitForWindowExposed(&window);
    }

    // Clicks as a user would: on the button's own tab, only when the button is shown and nothing
    // covers its centre (QAbstractButton::click() would press a hidden or covered button too).
    void click(const QString &name);
    QString text(const QString &name) const
    {
        if (auto *edit = window.findChild<QLineEdit *>(name))
            return edit->text();
        return find<QLabel>(name)->text();
    }
    QString status() const { return text(QStringLiteral("Label20")); }
    // Brings forward the tab whose caption contains `caption`; returns the tab widget.
    QTabWidget *selectTab(const QString &caption) const;

    FakePrompter prompter;
    FakeSoundPlayer sound;
    ManualClock clock;
    SeededRandom random;
    MainWindow window;
};

// The answer buttons of a tab, found by the production tables rather than copied from them.
QString buttonAccepting(const QString &answer, const char *prefix); // "Int_" or "Play_"
QString relationsButtonFor(const QString &answer);
// Splits the chord cheat label ("Bbdom_7") into key and chord-kind code.
std::pair<QString, QString> splitChordAnswer(const QString &label);
QString chordButtonFor(const QString &code);
QString keyButtonFor(const QString &key);

inline const QString Correct = QStringLiteral("Your Answer Was Correct!");
inline const QString Incorrect = QStringLiteral("Your Answer Was Incorrect! Try Again!");

} // namespace velmora::test
