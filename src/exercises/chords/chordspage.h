#pragma once

#include "chordkinds.h"
#include "tabpage.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace velmora {

struct ExerciseContext;
class StaffView;

// "Chords": name the key and kind of the chord drawn on the grand staff.
class ChordsPage : public TabPage
{
    Q_OBJECT
public:
    ChordsPage(QTabWidget *tabControl, ExerciseContext &context);

    void setCheatMode(bool on);

    void Command1_Click();
    void Command25_Click();
    QString ReadChosenKey() const;

private:
    void judge(int buttonIndex);

    ExerciseContext &m_context;
    bool CheatMode = false;

    QString CurrentKey;
    QString CurrentChordKind;
    NoteSlots m_noteSlots;

    StaffView *m_staff;
    QCheckBox *m_viewText;
    QCheckBox *m_mixUp;
    QCheckBox *m_excludeExtended;
    QLineEdit *m_noteList;
    QLabel *m_cheatLabel;
    QPushButton *m_cheatButton;
    QTimer *m_cheatTimer;
    QButtonGroup *m_keyGroup;
};

} // namespace velmora
