#pragma once

#include "music/expected.h"
#include "music/phrase.h"
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

signals:
    void questionChanged();

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
    void reportFailure(const QString &message);

    QLabel *m_cheatLabel = nullptr;
    QTimer *m_cheatTimer = nullptr;
    QPushButton *m_goButton = nullptr;
    std::function<void()> m_reveal;
    Phrase m_questionSound;
};

} // namespace velmora
