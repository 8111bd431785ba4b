#pragma once

#include "tabpage.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace velmora {

struct ExerciseContext;

// "Mineur / Majeur Relations ": find the relative minor of a major chord, or the reverse.
class RelationsPage : public TabPage
{
    Q_OBJECT
public:
    RelationsPage(QTabWidget *tabControl, ExerciseContext &context);

    void setCheatMode(bool on);

    void Command32_Click();
    void Cheat_button2_Click();

private:
    void judge(int buttonIndex);

    ExerciseContext &m_context;
    QString ExpectedAnswer;

    QRadioButton *m_majorOnly;
    QRadioButton *m_minorOnly;
    QLineEdit *m_questionBox;
    QPushButton *m_cheatButton;
    QLabel *m_cheatLabel;
    QTimer *m_cheatTimer;
};

} // namespace velmora
