#include "exercises/transpose/transposepage.h"

#include "ui/accessibility.h"
#include "ui/captions.h"
#include "ui/feedback.h"
#include "music/notename.h"
#include "ui/pitchbuttons.h"
#include "ui/prompter.h"
#include "exercises/transpose/transpose.h"
#include "ui/controls.h"
#include "ui/twips.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace velmora {

namespace {

struct InstrumentOption
{
    const char *scoreName;
    int scoreWidth;
    const char *instrumentName;
    int instrumentWidth;
    const char *caption;
};

constexpr std::array<InstrumentOption, 4> InstrumentOptions{{
    {"Score_c", 1215, "Instrument_C", 1215, QT_TRANSLATE_NOOP("Velmora", "C Instrument")},
    {"Score_Bb", 1335, "Instrument_Bb", 1455, QT_TRANSLATE_NOOP("Velmora", "Bb Instrument")},
    {"Score_Eb", 1335, "Instrument_Eb", 1455, QT_TRANSLATE_NOOP("Velmora", "Eb Instrument")},
    {"Score_other", 735, "Instrument_OTHER", 1215, QT_TRANSLATE_NOOP("Velmora", "Other")},
}};

constexpr int OtherIndex = 3;

Instrument selectedInstrument(const std::array<QRadioButton *, 4> &options)
{
    for (int i = 0; i < OtherIndex; ++i) {
        if (options[i]->isChecked())
            return Instrument(i);
    }
    return Instrument::Other;
}

} // namespace

TransposePage::TransposePage(QTabWidget *tabControl, ExerciseContext &context)
    : ExercisePage(tabControl, context)
{
    QWidget *page = canvas();
    auto *go = ui::pushButton(page, "Command33", QT_TRANSLATE_NOOP("Velmora", "GO!"), ui::twipsRect(1080, 720, 975, 495));
    onGoPress(go, [this] { Command33_Click(); });

    QGroupBox *score = ui::frame(page, "Frame6", QT_TRANSLATE_NOOP("Velmora", "Score is for an:  "), ui::twipsRect(720, 1440, 1695, 1575));
    QGroupBox *player = ui::frame(page, "Frame5", QT_TRANSLATE_NOOP("Velmora", "Instrument to play:    "),
                                  ui::twipsRect(720, 3480, 1695, 1575));
    for (int i = 0; i < int(InstrumentOptions.size()); ++i) {
        const InstrumentOption &option = InstrumentOptions[i];
        const int top = 360 + 240 * i;
        m_score[i] = ui::optionButton(score, option.scoreName, option.caption,
                                      ui::twipsRect(240, top, option.scoreWidth, 255), i == int(Instrument::C));
        m_instrument[i] = ui::optionButton(player, option.instrumentName, option.caption,
                                           ui::twipsRect(240, top, option.instrumentWidth, 255), i == int(Instrument::Eb));
    }
    m_score[OtherIndex]->setEnabled(false);
    m_instrument[OtherIndex]->setEnabled(false);
    ui::exclusiveChoice({m_score.begin(), m_score.end()});
    ui::exclusiveChoice({m_instrument.begin(), m_instrument.end()});

    QLabel *writtenCaption = ui::label(page, "Label4", QT_TRANSLATE_NOOP("Velmora", "Note on Score is an:"), ui::twipsRect(2880, 1560, 1575, 255));
    m_writtenNote = ui::readOnlyText(page, "Text2", QT_TRANSLATE_NOOP("Velmora", "Go!"), ui::twipsRect(4560, 1560, 615, 285));
    writtenCaption->setBuddy(m_writtenNote);
    auto *cheat = ui::pushButton(page, "Cheat_button", QT_TRANSLATE_NOOP("Velmora", "Cheat"), ui::twipsRect(2880, 2640, 855, 375));
    m_cheatLabel = ui::label(page, "Label13", QString(), ui::twipsRect(4080, 2640, 855, 255));
    setUpCheat(cheat, CheatButton::ShownInCheatMode, m_cheatLabel, ui::hideTimer(this, "Timer2", 1000, m_cheatLabel),
               [this] { m_cheatLabel->setText(ExpectedAnswer); });

    QGroupBox *answer = ui::frame(page, "Frame7", QT_TRANSLATE_NOOP("Velmora", "Note to Play is like an: "),
                                  ui::twipsRect(6240, 1440, 1935, 3855));
    onPress(addPitchButtons(answer, "Play_"), &QButtonGroup::idClicked, [this](int id) { judge(id); });

    ui::wrappedLabel(page, "Label18",
                     QT_TRANSLATE_NOOP("Velmora", "Purpose: Select the majeur key of the score and the instrument that "
                                    "should be played. In order to answer the question you need to "
                                    "transpose the given note correctly."),
                     ui::twipsRect(720, 5280, 3135, 855));
}

void TransposePage::Command33_Click()
{
    if (!startGoPress())
        return;
    // With "Other" on either side no pair matches and the previous pair's field stays in use.
    const QString degree =
        transpositionField(selectedInstrument(m_score), selectedInstrument(m_instrument)).value_or(TransposeDegree);
    // A question's column is its pair of instruments: "Bb>Eb", a score for B-flat played on E-flat.
    const QString pair = QStringLiteral("%1>%2").arg(m_score[int(selectedInstrument(m_score))]->objectName().section(QLatin1Char('_'), 1),
                                                     m_instrument[int(selectedInstrument(m_instrument))]->objectName().section(QLatin1Char('_'), 1));
    const std::optional<WeakSpotPick> pick =
        weakSpotPick([this, &pair](const QuestionCell &cell) { return keyChoice().allows(cell.row) && cell.column == pair; });
    const Expected<TransposeQuestion> question =
        pick ? drawTransposeQuestion(m_context.ladders, m_context.random, degree, keyChoice(), pair, *pick)
             : drawTransposeQuestion(m_context.ladders, m_context.random, degree, keyChoice());
    if (!succeeded(question))
        return;
    TransposeDegree = degree;
    ExpectedAnswer = question->expected;
    m_writtenNote->setText(question->writtenNote);
    m_writtenNote->setCursorPosition(0);
    questionAsked({question->writtenNote, pair});
    const int score = int(selectedInstrument(m_score));
    announceQuestion(ui::caption(QT_TRANSLATE_NOOP("Velmora", "Score for %1 instrument, note %2"))
                         .arg(m_score[score]->text().section(QLatin1Char(' '), 0, 0), question->writtenNote));
    const std::optional<int> sounding = soundingKey(question->writtenNote, selectedInstrument(m_score));
    setQuestionSound(sounding ? phrase::single(*sounding) : Phrase());
}

void TransposePage::judge(int buttonIndex)
{
    const PitchClassAnswer &button = pitchClassAnswers()[buttonIndex];
    judged(acceptsAnswer(button.transposeSpellings, ExpectedAnswer), QLatin1String(button.caption));
}

} // namespace velmora
