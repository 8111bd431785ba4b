#pragma once

#include "tabpage.h"

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace velmora {

struct ExerciseContext;

// "Transpose": the note a C, B-flat or E-flat instrument must play for a note written for another.
class TransposePage : public TabPage
{
    Q_OBJECT
public:
    TransposePage(QTabWidget *tabControl, ExerciseContext &context);

    void setCheatMode(bool on);

    void Command33_Click();
    void Cheat_button_Click();

private:
    void judge(int buttonIndex);

    ExerciseContext &m_context;
    QString TransposeDegree;
    QString WrittenNote;
    QString ExpectedAnswer;

    std::array<QRadioButton *, 4> m_score{};      // C, Bb, Eb, Other
    std::array<QRadioButton *, 4> m_instrument{}; // C, Bb, Eb, Other
    QLineEdit *m_writtenNote;
    QPushButton *m_cheatButton;
    QLabel *m_cheatLabel;
    QTimer *m_cheatTimer;
};

} // namespace velmora
