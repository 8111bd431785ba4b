#pragma once

#include "ui/exercisepage.h"

#include <array>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace velmora {

// "Transpose": the note a C, B-flat or E-flat instrument must play for a note written for another.
class TransposePage : public ExercisePage
{
    Q_OBJECT
public:
    TransposePage(QTabWidget *tabControl, ExerciseContext &context);

    void Command33_Click();
    QString practiceTab() const override { return QStringLiteral("Transpose"); }
    QString keysCaption() const override { return tr("Written notes"); }

protected:
    QString answerInWords() const override { return ExpectedAnswer; }

private:
    void judge(int buttonIndex);

    QString TransposeDegree;
    QString ExpectedAnswer;

    std::array<QRadioButton *, 4> m_score{};      // C, Bb, Eb, Other
    std::array<QRadioButton *, 4> m_instrument{}; // C, Bb, Eb, Other
    QLineEdit *m_writtenNote;
    QLabel *m_cheatLabel;
};

} // namespace velmora
