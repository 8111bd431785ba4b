#include "exercises/relations/relationspage.h"

#include "ui/feedback.h"
#include "ui/prompter.h"
#include "exercises/relations/relations.h"
#include "ui/accessibility.h"
#include "ui/captions.h"
#include "ui/keyboard.h"
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

// Each answer's button, in the order of relationsAnswers(): the minor chords' column, then the
// major chords', each by pitch from the top.
struct AnswerPlace
{
    const char *objectName;
    int row;
};

constexpr std::array<AnswerPlace, 30> AnswerPlaces{{
    {"commaj1", 1}, {"commaj2", 2}, {"commaj3", 3}, {"commaj4", 4}, {"commaj5", 5}, {"commaj6", 6}, {"commaj7", 7}, {"commaj8", 8}, {"commaj9", 9}, {"commaj10", 10}, {"commaj11", 11}, {"commaj12", 12}, {"commaj15", 13}, {"commaj13", 14}, {"commaj14", 15},
    {"commin1", 1}, {"commin2", 2}, {"commin3", 3}, {"commin4", 4}, {"commin5", 5}, {"commin6", 6}, {"commin7", 7}, {"commin8", 8}, {"commin9", 9}, {"commin10", 10}, {"commin11", 11}, {"commin12", 12}, {"commin13", 13}, {"commin14", 14}, {"commin15", 15},
}};

} // namespace

QString RelationsPage::answerButtonName(QStringView answer)
{
    const auto answers = relationsAnswers();
    for (size_t i = 0; i < answers.size(); ++i) {
        if (answer == QLatin1String(answers[i].answer))
            return QString::fromLatin1(AnswerPlaces[i].objectName);
    }
    return {};
}

RelationsPage::RelationsPage(QTabWidget *tabControl, ExerciseContext &context)
    : ExercisePage(tabControl, context)
{
    QWidget *page = canvas();
    auto *go = ui::pushButton(page, "Command32", QT_TRANSLATE_NOOP("Velmora", "Go!"), ui::twipsRect(840, 960, 855, 495));
    onGoPress(go, [this] { Command32_Click(); });

    QGroupBox *question = ui::frame(page, "Frame3", QT_TRANSLATE_NOOP("Velmora", "Question"), ui::twipsRect(720, 1680, 2535, 3855));
    m_majorOnly = ui::optionButton(question, "Option1", QT_TRANSLATE_NOOP("Velmora", "Majeur Question"),
                                   ui::twipsRect(240, 360, 1935, 255), false);
    m_minorOnly = ui::optionButton(question, "Option2", QT_TRANSLATE_NOOP("Velmora", "Mineur Question"),
                                   ui::twipsRect(240, 600, 1935, 255), false);
    QRadioButton *both = ui::optionButton(question, "Option3", QT_TRANSLATE_NOOP("Velmora", "Both"), ui::twipsRect(240, 840, 2055, 255), true);
    ui::exclusiveChoice({m_majorOnly, m_minorOnly, both});
    auto *cheat = ui::pushButton(question, "Cheat_button2", QT_TRANSLATE_NOOP("Velmora", "Cheat"), ui::twipsRect(360, 1920, 855, 255));
    m_cheatLabel = ui::label(question, "Label14", QString(), ui::twipsRect(1440, 1920, 855, 255));
    m_questionBox = ui::readOnlyText(question, "Question_box", QT_TRANSLATE_NOOP("Velmora", "Click on Go! for first question"),
                                     ui::twipsRect(240, 3120, 2175, 285));
    ui::setAccessibleCaption(m_questionBox, QT_TRANSLATE_NOOP("Velmora", "Chord given"));
    setUpCheat(cheat, CheatButton::ShownInCheatMode, m_cheatLabel, ui::hideTimer(question, "Timer3", 1000, m_cheatLabel),
               [this] { m_cheatLabel->setText(ExpectedAnswer); });

    QGroupBox *answer = ui::frame(page, "Frame4", QT_TRANSLATE_NOOP("Velmora", "Answer"), ui::twipsRect(5400, 960, 3135, 5775));
    auto *group = new QButtonGroup(this);
    const auto answers = relationsAnswers();
    for (int i = 0; i < int(answers.size()); ++i) {
        const RelationsAnswer &entry = answers[size_t(i)];
        const AnswerPlace &place = AnswerPlaces[size_t(i)];
        const bool minorChord = QLatin1String(entry.answer).endsWith(QLatin1String(" min"));
        auto *button = ui::colouredButton(answer, place.objectName, entry.caption,
                                          ui::twipsRect(minorChord ? 120 : 1560, 360 * place.row, 1215, 255),
                                          minorChord ? QColor(0xFF, 0xFF, 0xC0) : QColor(0x80, 0x80, 0xFF));
        group->addButton(button, i);
        // The chord's note as spelled, then M for "maj" or N for "min": "Eb maj" is Ctrl+E, M.
        const QString chord = QString::fromLatin1(entry.answer);
        const QKeySequence note = ui::spelledNoteKey(chord.section(QLatin1Char(' '), 0, 0));
        const bool major = chord.endsWith(QLatin1String(" maj"));
        if (!note.isEmpty())
            ui::pressOnKeys(answer, button, {QKeySequence(note[0], QKeyCombination(major ? Qt::Key_M : Qt::Key_N))});
    }
    onPress(group, &QButtonGroup::idClicked, [this](int id) { judge(id); });

    ui::wrappedLabel(page, "Label2",
                     QT_TRANSLATE_NOOP("Velmora", "Purpose: Find the Mineur or Majeur Chord which is related to the Chord Given."),
                     ui::twipsRect(720, 5640, 2775, 855));
}

void RelationsPage::Command32_Click()
{
    if (!startGoPress())
        return;
    const RelationsMode mode = m_majorOnly->isChecked()   ? RelationsMode::Major
                               : m_minorOnly->isChecked() ? RelationsMode::Minor
                                                          : RelationsMode::Both;
    const std::optional<WeakSpotPick> pick = weakSpotPick([this, mode](const QuestionCell &cell) {
        const bool major = cell.column == RelationsColumns.first();
        return keyChoice().allows(cell.row) && (mode == RelationsMode::Both || major == (mode == RelationsMode::Major));
    });
    const Expected<RelationsQuestion> question =
        pick ? drawRelationsQuestion(m_context.ladders, m_context.random, mode, keyChoice(), *pick)
             : drawRelationsQuestion(m_context.ladders, m_context.random, mode, keyChoice());
    if (!succeeded(question))
        return;
    ExpectedAnswer = question->expected;
    m_questionBox->setText(question->text);
    questionAsked({question->key, RelationsColumns[question->major ? 0 : 1]});
    announceQuestion(question->text);
    setQuestionSound(phrase::brokenThenTogether(triadKeys(question->text)));
}

void RelationsPage::judge(int buttonIndex)
{
    const QString given = QLatin1String(relationsAnswers()[size_t(buttonIndex)].answer);
    const bool right = given == ExpectedAnswer;
    judged(right, given);
    // The chord asked, then the one it is related to.
    if (right)
        hearAfterAnswer(questionSound().then(phrase::brokenThenTogether(triadKeys(ExpectedAnswer))));
}

} // namespace velmora
