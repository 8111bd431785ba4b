#pragma once

#include "music/expected.h"
#include "music/phrase.h"
#include "music/valuechoice.h"
#include "practice/score.h"
#include "practice/weakspots.h"

#include <QElapsedTimer>

#include <optional>
#include "ui/exercisecontext.h"
#include "ui/pressgate.h"
#include "ui/prompter.h"
#include "ui/tabpage.h"

#include <QPushButton>

class QLabel;
class QTimer;

namespace velmora {

// A tab page of one exercise, with the plumbing every exercise shares: presses connected through
// the press gate, the verdict line emptied by a go button, a failed press reported once, and the
// cheat button with the label it reveals and the timer that hides the label again.
class ExercisePage : public TabPage
{
    Q_OBJECT
public:
    ExercisePage(QTabWidget *tabControl, ExerciseContext &context);

    static const QString ExpectedAnswerName; // the cheat label's, followed by the answer while shown

    // The button that asks the page's next question; Return presses it when no button has focus.
    QPushButton *goButton() const { return m_goButton; }

    // The notes of the question on the page; empty while it has none.
    const Phrase &questionSound() const { return m_questionSound; }

    // The keys a question may be drawn in, as the player chose them; from the next go press on.
    void setKeyChoice(ValueChoice keys) { m_keyChoice = std::move(keys); }
    const ValueChoice &keyChoice() const { return m_keyChoice; }
    // What a key is on this exercise, as the choice of what to drill names it.
    virtual QString keysCaption() const { return tr("Keys"); }

    const Score &score() const { return m_score; }
    void resetScore();
    // A word on the last answer for the score bar: which part missed, or the answer once it is
    // known (answered right or revealed); empty after a go press.
    const QString &practiceNote() const { return m_practiceNote; }
    bool hasQuestion() const { return m_hasQuestion; }
    // The tab's name where progress is kept and mapped: "Chords", "Relations", "Transpose", "Intervals".
    virtual QString practiceTab() const = 0;
    // Names the answer of the question shown, which then counts as missed; false without one.
    bool showAnswer();

signals:
    void questionChanged();
    void scoreChanged();

protected:
    // Runs `handler` for each `signal` of `sender`, never inside a playing sound.
    template <typename Sender, typename Signal, typename Handler>
    void onPress(Sender *sender, Signal signal, Handler handler)
    {
        connect(sender, signal, this, m_context.presses.guarded(this, std::move(handler)));
    }

    // The start of every go button's press: empties the verdict line and looks at the music data
    // as it is now. False when the press cannot go on; the reason has been shown.
    bool startGoPress();

    // The notes of the new question, heard at once if "Hear each question" is on (or `heard`);
    // true when they are being heard.
    bool setQuestionSound(Phrase phrase, bool heard = false);
    // Heard after a right answer, if "Hear each question" is on.
    void hearAfterAnswer(const Phrase &phrase);

    // The end of a go press: a new question shown (`cell` places it in the mastery map), or none
    // ("geen verwijzing!", nothing ticked).
    void questionAsked(const QuestionCell &cell);
    void noQuestionAsked();
    // Every judged answer (`given` in words): counted for the question shown, then the verdict
    // line. `wrongPart` says what missed without giving the answer away.
    void judged(bool right, const QString &given, const QString &wrongPart = {});
    // An answer confirmed in a box of its own instead of the verdict line: counted only.
    void countAnswer(bool right, const QString &given, const QString &wrongPart = {});
    // How a go press asks with "Practise my weak spots" ticked: the question due that `allowed`
    // lets through, or a weighted draw; nothing while the item is off.
    std::optional<WeakSpotPick> weakSpotPick(const std::function<bool(const QuestionCell &)> &allowed) const;
    // The answer of the question shown, in words ("Db, Dominant 7 b5").
    virtual QString answerInWords() const = 0;

    // Shows the reason a press failed, once; true when `result` holds a question.
    template <typename T>
    bool succeeded(const Expected<T> &result)
    {
        if (!result)
            reportFailure(result.error());
        return result.ok();
    }

    // Tells a screen reader the new question, in a short sentence of what the page shows, through
    // the go button, which keeps the focus so that Space and Return go on drawing questions.
    void announceQuestion(const QString &sentence);

    enum class CheatButton {
        ShownInCheatMode, // hidden unless the program was started in cheat mode
        AlwaysShown,      // captioned "---" outside cheat mode and "Cheat" in it
    };
    // `button` reveals `label` until the next tick of `timer`; `reveal` runs at each press first.
    void setUpCheat(QPushButton *button, CheatButton kind, QLabel *label, QTimer *timer,
                    std::function<void()> reveal = {});
    bool cheatMode() const { return m_context.cheatMode; }

    // Makes `go` the page's go button, running `handler` at each press as onPress does.
    template <typename Handler>
    void onGoPress(QPushButton *go, Handler handler)
    {
        m_goButton = go;
        onPress(go, &QPushButton::clicked, std::move(handler));
    }

    ExerciseContext &m_context;

private:
    void revealCheat();
    void revealed();
    void reportFailure(const QString &message);

    QLabel *m_cheatLabel = nullptr;
    QTimer *m_cheatTimer = nullptr;
    QPushButton *m_goButton = nullptr;
    std::function<void()> m_reveal;
    Phrase m_questionSound;
    ValueChoice m_keyChoice;
    Score m_score;
    QString m_practiceNote;
    bool m_hasQuestion = false;
    QuestionCell m_cell;
    QElapsedTimer m_shown;     // since the question was shown
    bool m_answered = false;   // the question has had a judged answer
    bool m_wasRevealed = false;
};

} // namespace velmora
