#pragma once

#include "intervals.h"
#include "tabpage.h"

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace velmora {

struct ExerciseContext;

// "Intervals": the note that completes an interval from a start note in a given direction.
class IntervalsPage : public TabPage
{
    Q_OBJECT
public:
    IntervalsPage(QTabWidget *tabControl, ExerciseContext &context);

    void setCheatMode(bool on);

    void Command34_Click();
    void Int_cheat_Click();

private:
    void judge(int buttonIndex);

    ExerciseContext &m_context;
    bool CheatMode = false;
    QString ExpectedAnswer;

    std::array<QCheckBox *, IntervalChoiceCount> m_choices{};
    QLineEdit *m_start;
    QLineEdit *m_interval;
    QLineEdit *m_direction;
    QPushButton *m_cheatButton;
    QLabel *m_cheatLabel;
    QTimer *m_cheatTimer;
};

} // namespace velmora
