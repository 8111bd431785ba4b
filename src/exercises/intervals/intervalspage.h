#pragma once

#include <optional>
#include <utility>

#include "exercises/intervals/intervals.h"
#include "ui/exercisepage.h"

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace velmora {

// "Intervals": the note that completes an interval from a start note in a given direction.
class IntervalsPage : public ExercisePage
{
    Q_OBJECT
public:
    IntervalsPage(QTabWidget *tabControl, ExerciseContext &context);

    // The name of the option box of intervalChoices()[choice].
    static QString choiceBoxName(int choice);

    void Command34_Click();
    QString practiceTab() const override { return QStringLiteral("Intervals"); }
    QString keysCaption() const override { return tr("Start notes"); }

protected:
    QString answerInWords() const override { return ExpectedAnswer; }

private:
    void judge(int buttonIndex);

    QString ExpectedAnswer;
    std::optional<std::pair<int, int>> m_keys; // the start note and the answer, as heard

    std::array<QCheckBox *, IntervalChoiceCount> m_choices{};
    QLineEdit *m_start;
    QLineEdit *m_interval;
    QLineEdit *m_direction;
    QLabel *m_cheatLabel;
};

} // namespace velmora
