#pragma once

#include "ui/exercisepage.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace velmora {

// "Mineur / Majeur Relations ": find the relative minor of a major chord, or the reverse.
class RelationsPage : public ExercisePage
{
    Q_OBJECT
public:
    RelationsPage(QTabWidget *tabControl, ExerciseContext &context);

    // The name of the button that answers `answer` ("C# min"); empty for none.
    static QString answerButtonName(QStringView answer);

    void Command32_Click();
    QString practiceTab() const override { return QStringLiteral("Relations"); }
    QString keysCaption() const override { return tr("Major keys"); }

protected:
    QString answerInWords() const override { return ExpectedAnswer; }

private:
    void judge(int buttonIndex);

    QString ExpectedAnswer;

    QRadioButton *m_majorOnly;
    QRadioButton *m_minorOnly;
    QLineEdit *m_questionBox;
    QLabel *m_cheatLabel;
};

} // namespace velmora
