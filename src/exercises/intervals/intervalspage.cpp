#include "exercises/intervals/intervalspage.h"

#include "ui/captions.h"
#include "ui/feedback.h"
#include "music/notename.h"
#include "ui/pitchbuttons.h"
#include "ui/prompter.h"
#include "ui/controls.h"
#include "ui/twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace velmora {

namespace {

// The option boxes, in the order of intervalChoices().
constexpr std::array<const char *, IntervalChoiceCount> ChoiceBoxes{
    "Chk_1", "Chk_b2", "Chk_2", "Chk_b3", "Chk_3", "Chk_4", "Chk_en4", "Chk_5", "Chk_b6", "Chk_6", "Chk_b7", "Chk_7", "Chk_8"};

} // namespace

QString IntervalsPage::choiceBoxName(int choice)
{
    return QString::fromLatin1(ChoiceBoxes[size_t(choice)]);
}

IntervalsPage::IntervalsPage(QTabWidget *tabControl, ExerciseContext &context)
    : ExercisePage(tabControl, context)
{
    QWidget *page = canvas();
    auto *go = ui::pushButton(page, "Command34", QT_TRANSLATE_NOOP("Velmora", "GO!"), ui::twipsRect(840, 960, 855, 495));
    onGoPress(go, [this] { Command34_Click(); });

    QGroupBox *options = ui::frame(page, "Frame9", QT_TRANSLATE_NOOP("Velmora", "Options"), ui::twipsRect(720, 1680, 2535, 3615));
    for (int n = 0; n < IntervalChoiceCount; ++n) {
        const IntervalChoice &choice = intervalChoices()[n];
        m_choices[n] = ui::checkBox(options, ChoiceBoxes[size_t(n)], choice.caption,
                                    ui::twipsRect(120, 240 * (n + 1), 2295, 195), true);
    }

    QLabel *startCaption = ui::label(page, "Label5", QT_TRANSLATE_NOOP("Velmora", "The note to start with is an:"), ui::twipsRect(3480, 1800, 1935, 255));
    m_start = ui::readOnlyText(page, "Int_Start", QT_TRANSLATE_NOOP("Velmora", "--"), ui::twipsRect(5760, 1800, 375, 285));
    startCaption->setBuddy(m_start);
    QLabel *intervalCaption = ui::label(page, "Label15", QT_TRANSLATE_NOOP("Velmora", "The Interval is:"), ui::twipsRect(3480, 2280, 1095, 255));
    m_interval = ui::readOnlyText(page, "Int_val", QT_TRANSLATE_NOOP("Velmora", "---"), ui::twipsRect(4680, 2280, 1455, 285));
    intervalCaption->setBuddy(m_interval);
    QLabel *directionCaption = ui::label(page, "Label16", QT_TRANSLATE_NOOP("Velmora", "The direction is:"), ui::twipsRect(3480, 2760, 1215, 255));
    m_direction = ui::readOnlyText(page, "Int_dir", QT_TRANSLATE_NOOP("Velmora", "--"), ui::twipsRect(5520, 2760, 615, 285));
    directionCaption->setBuddy(m_direction);

    auto *cheat = ui::pushButton(page, "Int_cheat", QT_TRANSLATE_NOOP("Velmora", "Cheat"), ui::twipsRect(3480, 3600, 855, 375));
    m_cheatLabel = ui::label(page, "Label7", QT_TRANSLATE_NOOP("Velmora", "cheat"), ui::twipsRect(5040, 3600, 975, 255));
    m_cheatLabel->hide();
    setUpCheat(cheat, CheatButton::ShownInCheatMode, m_cheatLabel, ui::hideTimer(this, "Timer4", 10000, m_cheatLabel));

    QGroupBox *answer = ui::frame(page, "Frame10", QT_TRANSLATE_NOOP("Velmora", "Answer sounds like an"),
                                  ui::twipsRect(6240, 1680, 1935, 3855));
    onPress(addPitchButtons(answer, "Int_"), &QButtonGroup::idClicked, [this](int id) { judge(id); });

    ui::wrappedLabel(page, "Label17",
                     QT_TRANSLATE_NOOP("Velmora", "Purpose: Find the note to complete the asked interval. Use the start "
                                    "note and follow the given direction in order to succeed."),
                     ui::twipsRect(720, 5520, 2655, 855));
}

void IntervalsPage::Command34_Click()
{
    if (!startGoPress())
        return;
    IntervalSelection ticked{};
    for (int n = 0; n < IntervalChoiceCount; ++n)
        ticked[n] = m_choices[n]->isChecked();

    const std::optional<WeakSpotPick> pick = weakSpotPick([this, &ticked](const QuestionCell &cell) {
        for (int n = 0; n < IntervalChoiceCount; ++n) {
            if (cell.column.startsWith(QLatin1String(intervalChoices()[size_t(n)].name) + QLatin1Char(' ')))
                return keyChoice().allows(cell.row) && ticked[size_t(n)];
        }
        return keyChoice().allows(cell.row);
    });
    const Expected<IntervalQuestion> question =
        pick ? drawIntervalQuestion(m_context.ladders, m_context.intervals, m_context.random, ticked, keyChoice(), *pick)
             : drawIntervalQuestion(m_context.ladders, m_context.intervals, m_context.random, ticked, keyChoice());
    if (!succeeded(question))
        return;
    if (cheatMode())
        m_cheatLabel->setText(question->expected);
    if (question->noneSelected) {
        noQuestionAsked();
        const QString noneSelected = ui::caption(QT_TRANSLATE_NOOP("Velmora", "No Intervalls selected!"));
        announceQuestion(noneSelected);
        m_context.prompter.inform(noneSelected);
        const QString none = QStringLiteral("n/a");
        ExpectedAnswer = none;
        for (QLineEdit *box : {m_interval, m_direction, m_start})
            box->setText(none);
        m_keys.reset();
        setQuestionSound({});
        return;
    }
    ExpectedAnswer = question->expected;
    m_start->setText(question->startNote);
    m_interval->setText(question->interval);
    m_direction->setText(question->direction);
    questionAsked({question->startNote, intervalColumn(question->interval, question->direction)});
    announceQuestion(ui::caption(QT_TRANSLATE_NOOP("Velmora", "From %1, %2, %3")).arg(question->startNote, question->interval, question->direction));
    for (QLineEdit *box : {m_interval, m_direction, m_start})
        box->setCursorPosition(0);
    m_keys = intervalKeys(question->startNote, question->interval, question->direction);
    setQuestionSound(m_keys ? phrase::single(m_keys->first) : Phrase());
}

void IntervalsPage::judge(int buttonIndex)
{
    const PitchClassAnswer &button = pitchClassAnswers()[buttonIndex];
    const bool right = acceptsAnswer(button.intervalSpellings, ExpectedAnswer);
    judged(right, QLatin1String(button.caption));
    // After the chime: the start and the answer one after another, then together.
    if (right && m_keys)
        hearAfterAnswer(phrase::inOrderThenTogether({m_keys->first, m_keys->second}));
}

} // namespace velmora
