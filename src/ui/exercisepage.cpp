#include "ui/exercisepage.h"

#include "ui/accessibility.h"
#include "ui/captions.h"
#include "ui/clock.h"
#include "ui/feedback.h"
#include "ui/listening.h"
#include "music/messages.h"
#include "practice/practicesession.h"
#include "music/musicdatabase.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace velmora {

const QString ExercisePage::ExpectedAnswerName = QStringLiteral("Expected answer");

ExercisePage::ExercisePage(QTabWidget *tabControl, ExerciseContext &context) : TabPage(tabControl), m_context(context)
{
}

bool ExercisePage::startGoPress()
{
    m_context.feedback.clear();
    const Expected<MusicDatabase::Notice> found = m_context.database.refresh();
    if (const QString said = MusicDatabase::toSay(found); !said.isEmpty())
        reportFailure(said);
    return found.ok();
}

void ExercisePage::reportFailure(const QString &message)
{
    announceQuestion(message);
    m_context.prompter.inform(message, Prompter::Icon::Warning);
}

void ExercisePage::announceQuestion(const QString &sentence)
{
    if (m_goButton)
        ui::announce(m_goButton, sentence);
}

void ExercisePage::setUpCheat(QPushButton *button, CheatButton kind, QLabel *label, QTimer *timer,
                              std::function<void()> reveal)
{
    m_cheatLabel = label;
    m_cheatTimer = timer;
    m_reveal = std::move(reveal);
    m_context.clock.start(*timer);
    label->setAccessibleName(ExpectedAnswerName);
    if (kind == CheatButton::AlwaysShown) {
        ui::setCaption(button, cheatMode() ? QT_TRANSLATE_NOOP("Velmora", "Cheat") : QT_TRANSLATE_NOOP("Velmora", "---"));
        // Outside cheat mode it does nothing, so Tab passes it by.
        if (!cheatMode())
            button->setFocusPolicy(Qt::NoFocus);
    } else {
        button->setVisible(cheatMode());
    }
    onPress(button, &QPushButton::clicked, [this] { revealCheat(); });
}

void ExercisePage::questionAsked(const QuestionCell &cell)
{
    m_hasQuestion = true;
    m_cell = cell;
    m_answered = false;
    m_wasRevealed = false;
    m_shown.start();
    m_context.practice.questionAsked(practiceTab());
    m_score.questionAsked();
    m_practiceNote.clear();
    emit scoreChanged();
}

void ExercisePage::noQuestionAsked()
{
    m_hasQuestion = false;
    m_score.noQuestion();
    m_practiceNote.clear();
    emit scoreChanged();
}

void ExercisePage::countAnswer(bool right, const QString &given, const QString &wrongPart)
{
    if (m_hasQuestion) {
        if (m_score.awaitsFirstAnswer())
            m_context.practice.firstTry(practiceTab(), m_cell, right);
        m_score.answered(right);
        m_practiceNote = right ? tr("Answer: %1").arg(shortened(answerInWords())) : wrongPart;
        m_context.practice.answered(
            {QDateTime::currentDateTime(), practiceTab(), m_cell, given, right, !m_answered, m_wasRevealed, m_shown.elapsed()});
        m_answered = true;
    }
    emit scoreChanged();
}

void ExercisePage::judged(bool right, const QString &given, const QString &wrongPart)
{
    countAnswer(right, given, wrongPart);
    m_context.feedback.show(right);
}

std::optional<WeakSpotPick> ExercisePage::weakSpotPick(const std::function<bool(const QuestionCell &)> &allowed) const
{
    PracticeSession &practice = m_context.practice;
    if (!practice.practisingWeakSpots())
        return std::nullopt;
    const QString tab = practiceTab();
    return WeakSpotPick{practice.weakSpots().due(tab, allowed),
                        [&practice, tab](const QuestionCell &cell) { return practice.weakSpots().weight(tab, cell); }};
}

void ExercisePage::revealed()
{
    if (m_score.awaitsFirstAnswer())
        m_context.practice.firstTry(practiceTab(), m_cell, false);
    m_wasRevealed = true;
    m_score.revealed();
    m_practiceNote = tr("Answer: %1").arg(shortened(answerInWords()));
    emit scoreChanged();
}

bool ExercisePage::showAnswer()
{
    if (!m_hasQuestion)
        return false;
    revealed();
    return true;
}

void ExercisePage::resetScore()
{
    m_score.reset();
    emit scoreChanged();
}

void ExercisePage::revealCheat()
{
    if (m_reveal)
        m_reveal();
    if (cheatMode()) {
        if (m_hasQuestion)
            revealed();
        // A screen reader reads the answer with the label's name.
        m_cheatLabel->setAccessibleName(QStringLiteral("%1: %2").arg(ExpectedAnswerName, m_cheatLabel->text()));
        m_cheatLabel->show();
    }
    // Restarting gives the revealed answer a full interval on screen.
    m_context.clock.start(*m_cheatTimer);
}

bool ExercisePage::setQuestionSound(Phrase phrase, bool heard)
{
    m_questionSound = std::move(phrase);
    emit questionChanged();
    if (heard || m_context.listening.hearEachQuestion())
        return m_context.listening.hear(m_questionSound);
    return false;
}

void ExercisePage::hearAfterAnswer(const Phrase &phrase)
{
    if (m_context.listening.hearEachQuestion())
        m_context.listening.hear(phrase);
}

} // namespace velmora
