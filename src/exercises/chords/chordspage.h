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

    void Command1_Click();
    QString ReadChosenKey() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void judge(int buttonIndex);
    void focusChordGrid();

    QString CurrentKey;
    QString CurrentChordKind;
    NoteSlots m_noteSlots;

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
