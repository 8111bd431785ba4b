#pragma once

#include <QString>

namespace velmora {

// A tab's score since the program started, in memory only: the questions asked, those whose first
// judged answer was right, and the runs of such questions. Only a question's first judged answer
// counts; a question revealed before it counts as missed.
class Score
{
public:
    // A go press that shows a new question.
    void questionAsked();
    // A go press that shows none ("geen verwijzing!", no interval ticked): answers count for
    // nothing until the next question.
    void noQuestion();
    void answered(bool right);
    void revealed();
    // Back to nothing; a question waiting for its first answer counts as the first one asked.
    void reset();

    int asked() const { return m_asked; }
    int rightAtFirstTry() const { return m_right; }
    int run() const { return m_run; }
    int bestRun() const { return m_best; }
    bool awaitsFirstAnswer() const { return m_open; }

    // "Chords: 12 of 15 right at the first try - 4 in a row (best 7)"
    QString line(const QString &tab) const;

private:
    void close(bool right);

    int m_asked = 0;
    int m_right = 0;
    int m_run = 0;
    int m_best = 0;
    bool m_open = false; // the question shown has had no judged answer and was not revealed
};

} // namespace velmora
