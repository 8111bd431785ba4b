#pragma once

#include "exercises/chords/chordkinds.h"
#include "ui/exercisepage.h"

#include <map>
#include <utility>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;

namespace velmora {

class StaffView;

// "Chords": name the key and kind of the chord drawn on the grand staff.
class ChordsPage : public ExercisePage
{
    Q_OBJECT
public:
    ChordsPage(QTabWidget *tabControl, ExerciseContext &context);

    // The names of the buttons that answer a key ("C#") and a chord kind ("maj_3").
    static QString keyButtonName(QStringView key);
    static QString chordButtonName(QStringView code);

    void Command1_Click();
    QString ReadChosenKey() const;

    // The chord kinds a question may be drawn with, as the player chose them.
    void setKindChoice(ValueChoice kinds) { m_kindChoice = std::move(kinds); }
    const ValueChoice &kindChoice() const { return m_kindChoice; }
    QString practiceTab() const override { return QStringLiteral("Chords"); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

    QString answerInWords() const override;

private:
    void judge(int buttonIndex);
    void focusChordGrid();
    // The chord on the staff and in the note list: whole, or as "Chords by ear" asks it.
    void drawQuestion(bool whole);

    QString CurrentKey;
    QString CurrentChordKind;
    NoteSlots m_noteSlots;
    ValueChoice m_kindChoice;
    bool m_listNotes = true;    // as "viewtext" was at the last GO!
    bool m_hiddenByEar = false; // only the bass note is drawn, until a right answer or the cheat

    StaffView *m_staff;
    QCheckBox *m_viewText;
    QCheckBox *m_mixUp;
    QCheckBox *m_excludeExtended;
    QLineEdit *m_noteList;
    QLabel *m_cheatLabel;
    QButtonGroup *m_keyGroup;
    std::map<std::pair<int, int>, QAbstractButton *> m_grid; // (column, row) of the chord buttons
};

} // namespace velmora
