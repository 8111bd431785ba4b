#include "exercises/chords/chordspage.h"

#include "exercises/chords/chordquestion.h"
#include "ui/accessibility.h"
#include "ui/captions.h"
#include "ui/feedback.h"
#include "ui/listening.h"
#include "ui/prompter.h"
#include "exercises/chords/staffgeometry.h"
#include "exercises/chords/staffview.h"
#include "ui/keyboard.h"
#include "ui/controls.h"
#include "ui/twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QApplication>
#include <QKeyEvent>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace velmora {

namespace {

// Where each key's button stands in the answer frame, in twips.
struct KeyPlace
{
    const char *key;
    const char *objectName;
    int left;
    int top;
};

constexpr std::array<KeyPlace, 15> KeyPlaces{{
    {"C", "Option_C", 360, 240},
    {"D", "Option_D", 840, 240},
    {"E", "Option_E", 1320, 240},
    {"F", "Option_F", 1800, 240},
    {"G", "Option_G", 2280, 240},
    {"A", "Option_A", 2760, 240},
    {"B", "Option_B", 3240, 240},
    {"C#", "Option_Cis", 600, 720},
    {"Cb", "Option_Cb", 120, 720},
    {"Db", "Option_Db", 1080, 720},
    {"Eb", "Option_Eb", 1560, 720},
    {"F#", "Option_Fis", 2040, 720},
    {"Gb", "Option_Gb", 2520, 720},
    {"Ab", "Option_Ab", 3000, 720},
    {"Bb", "Option_Bb", 3480, 720},
}};

// Each chord kind's button: its name, its colour, and its row in its group's column.
struct ChordPlace
{
    const char *code;
    const char *objectName;
    quint32 colour; // 0xRRGGBB
    int row;
};

constexpr quint32 Major = 0x8080FF, Minor = 0xFFFFC0, Dominant = 0xC0FFC0, Diminished = 0xFF0000, Suspended = 0xFF8000;
constexpr std::array<ChordPlace, 29> ChordPlaces{{
    {"om_3", "Command27", Major, 0},      {"maj_3", "Command2", Major, 1},        {"maj_7", "Command3", Major, 2},
    {"maj7_en5", "Command4", Major, 3},   {"maj_9", "Command5", Major, 4},        {"maj_11", "Command6", Major, 5},
    {"maj_13", "Command17", Major, 6},    {"maj7_en13", "Command23", Major, 7},   {"maj13_en11", "Command20", Major, 8},
    {"sus4_3", "Command26", Suspended, 9}, {"min_3", "Command7", Minor, 0},       {"min_7", "Command8", Minor, 1},
    {"min_maj7", "Command9", Minor, 2},   {"min7_b5", "Command10", Minor, 3},     {"min7_9", "Command11", Minor, 4},
    {"min_11", "Command19", Minor, 5},    {"min_13", "Command22", Minor, 6},      {"dim_3", "Command29", Diminished, 8},
    {"dim_7", "Command31", Diminished, 9}, {"dom_7", "Command12", Dominant, 0},   {"dom7_b5", "Command13", Dominant, 1},
    {"dom7_en5", "Command14", Dominant, 2}, {"dom_9", "Command15", Dominant, 3},  {"dom7_b9", "Command16", Dominant, 4},
    {"dom_11", "Command18", Dominant, 5}, {"dom_en11", "Command21", Dominant, 6}, {"dom13_en11", "Command24", Dominant, 7},
    {"dom13_b5", "Command28", Dominant, 8}, {"dom13_en5", "Command30", Dominant, 9},
}};

// The grid the arrow keys walk: a column for each group of kinds. Command25 sits among the chord
// buttons but is the cheat.
constexpr int GridRows = 10;
constexpr int CheatButtonColumn = 1;
constexpr int CheatButtonRow = 7;

template <typename Place, size_t N>
const Place &placeOf(const std::array<Place, N> &places, QStringView name, const char *Place::*field)
{
    const auto found = std::ranges::find_if(places, [&](const Place &p) { return name == QLatin1String(p.*field); });
    Q_ASSERT(found != places.end());
    return *found;
}

} // namespace

QString ChordsPage::keyButtonName(QStringView key)
{
    return QString::fromLatin1(placeOf(KeyPlaces, key, &KeyPlace::key).objectName);
}

QString ChordsPage::chordButtonName(QStringView code)
{
    return QString::fromLatin1(placeOf(ChordPlaces, code, &ChordPlace::code).objectName);
}

ChordsPage::ChordsPage(QTabWidget *tabControl, ExerciseContext &context) : ExercisePage(tabControl, context)
{
    QWidget *page = canvas();
    auto *go = ui::pushButton(page, "Command1", QT_TRANSLATE_NOOP("Velmora", "GO!"), ui::twipsRect(600, 1080, 855, 495));
    onGoPress(go, [this] { Command1_Click(); });
    // A chord hidden for the ear that cannot be heard after all (the synthesizer failed, the
    // server did not take it) is drawn whole as soon as that is known.
    connect(&m_context.listening, &Listening::unheard, this, [this] {
        if (m_hiddenByEar)
            drawQuestion(true);
    });

    QGroupBox *question = ui::frame(page, "Frame2", QT_TRANSLATE_NOOP("Velmora", "Question"), ui::twipsRect(600, 1800, 3615, 4575));
    m_staff = new StaffView(question);
    m_staff->setObjectName(QStringLiteral("Picture1"));
    m_staff->setGeometry(ui::twipsRect(480, 240, 2565, 3300));
    m_viewText = ui::checkBox(question, "viewtext", QT_TRANSLATE_NOOP("Velmora", " "), ui::twipsRect(120, 3600, 255, 315), true);
    ui::setAccessibleCaption(m_viewText, QT_TRANSLATE_NOOP("Velmora", "List the notes"));
    m_noteList = ui::readOnlyText(question, "Text1", QT_TRANSLATE_NOOP("Velmora", "Click on Go! for first question"),
                                  ui::twipsRect(480, 3600, 2535, 285));
    m_mixUp = ui::checkBox(question, "check1_mixup", QT_TRANSLATE_NOOP("Velmora", "Check1"), ui::twipsRect(120, 3960, 255, 255),
                           false);
    ui::label(question, "Label3", QT_TRANSLATE_NOOP("Velmora", "Random order"), ui::twipsRect(480, 3960, 1935, 255));
    ui::setAccessibleCaption(m_noteList, QT_TRANSLATE_NOOP("Velmora", "Notes of the chord"));
    ui::setAccessibleCaption(m_mixUp, QT_TRANSLATE_NOOP("Velmora", "Random order"));
    m_excludeExtended = ui::checkBox(question, "Check1", QT_TRANSLATE_NOOP("Velmora", "  9, 11, 13 excluded"),
                                     ui::twipsRect(120, 4320, 2175, 195), false);

    QGroupBox *answer = ui::frame(page, "Frame1", QT_TRANSLATE_NOOP("Velmora", "Answer"), ui::twipsRect(4680, 1080, 4095, 5295));
    m_keyGroup = new QButtonGroup(this);
    const auto keys = chordAnswerKeys();
    for (int i = 0; i < int(keys.size()); ++i) {
        const QString key = QString::fromLatin1(keys[i]);
        const KeyPlace &place = placeOf(KeyPlaces, key, &KeyPlace::key);
        auto *button = ui::colouredButton(answer, place.objectName, key, ui::twipsRect(place.left, place.top, 375, 375),
                                          QColor(0xC0, 0, 0), Qt::white);
        button->setCheckable(true);
        button->setChecked(key == QLatin1String("C"));
        m_keyGroup->addButton(button, i);
        // A key chosen from the keyboard leads on to the chord kinds, which the arrows walk.
        if (QShortcut *chosen = ui::pressOnKeys(page, button, {ui::spelledNoteKey(key)}))
            connect(chosen, &QShortcut::activated, this, [this] { focusChordGrid(); });
    }
    ui::exclusiveChoice(m_keyGroup->buttons());

    // The chord buttons and the cheat button share one grid.
    const auto cell = [](int column, int row) { return ui::twipsRect(120 + 1320 * column, 1560 + 360 * row, 1215, 255); };
    auto *chordGroup = new QButtonGroup(this);
    const auto answers = chordAnswers();
    for (int i = 0; i < int(answers.size()); ++i) {
        const ChordAnswer &entry = answers[i];
        const ChordPlace &place = placeOf(ChordPlaces, QString::fromLatin1(entry.code), &ChordPlace::code);
        auto *button = ui::colouredButton(answer, place.objectName, entry.caption, cell(entry.group, place.row),
                                          QColor::fromRgb(place.colour));
        button->setEnabled(entry.enabled);
        chordGroup->addButton(button, i);
        m_grid[{entry.group, place.row}] = button;
        button->installEventFilter(this);
    }
    onPress(chordGroup, &QButtonGroup::idClicked, [this](int id) { judge(id); });

    auto *cheat = ui::pushButton(answer, "Command25", QT_TRANSLATE_NOOP("Velmora", "---"), cell(CheatButtonColumn, CheatButtonRow));

    ui::label(page, "Label19", QT_TRANSLATE_NOOP("Velmora", "Purpose: Name the given Chords"), ui::twipsRect(960, 6600, 2535, 255));
    m_cheatLabel = ui::label(page, "Label1", QT_TRANSLATE_NOOP("Velmora", "Label1"), ui::twipsRect(4560, 6600, 1215, 255));
    m_cheatLabel->hide();
    setUpCheat(cheat, CheatButton::AlwaysShown, m_cheatLabel, ui::hideTimer(answer, "Timer1", 1000, m_cheatLabel),
               [this] {
                   if (cheatMode() && m_hiddenByEar)
                       drawQuestion(true);
               });
    // A key chosen is a press too: it stops a question that plays.
    onPress(m_keyGroup, &QButtonGroup::idClicked, [] {});
}

void ChordsPage::Command1_Click()
{
    if (!startGoPress())
        return;
    const ChordOptions options{m_excludeExtended->isChecked(), m_mixUp->isChecked(), keyChoice(), m_kindChoice};
    const bool listNotes = m_viewText->isChecked();
    const std::optional<WeakSpotPick> pick = weakSpotPick([&options](const QuestionCell &cell) {
        return options.keys.allows(cell.row) && options.kinds.allows(cell.column)
            && !(options.excludeExtended && isExtendedChordCode(cell.column));
    });
    const Expected<ChordQuestion> question =
        pick ? drawChordQuestion(m_context.ladders, m_context.chordKinds, m_context.random, options, m_noteSlots, *pick)
             : drawChordQuestion(m_context.ladders, m_context.chordKinds, m_context.random, options, m_noteSlots);
    if (!succeeded(question))
        return;

    CurrentKey = question->key;
    CurrentChordKind = question->kind;
    m_cheatLabel->setText(CurrentKey + CurrentChordKind);
    if (question->kindHasBuilder) {
        questionAsked({CurrentKey, CurrentChordKind});
    } else {
        noQuestionAsked();
        m_context.prompter.inform(ui::caption(QT_TRANSLATE_NOOP("Velmora", "geen verwijzing!")));
    }
    m_noteSlots = question->notes;
    m_listNotes = listNotes;
    // By ear, the chord is heard whatever "Hear each question" says; one that cannot be heard
    // (no sound server, no SoundFont, "Sound off") is drawn whole.
    const bool byEar = m_context.listening.chordsByEar();
    const bool heard = setQuestionSound(phrase::brokenThenTogether(staff::soundingKeys(m_noteSlots)), byEar);
    m_hiddenByEar = byEar && heard;
    drawQuestion(!m_hiddenByEar);
}

void ChordsPage::drawQuestion(bool whole)
{
    m_hiddenByEar = !whole;
    m_staff->DrawChord(whole ? m_noteSlots : staff::heardReference(m_noteSlots));
    if (whole && m_listNotes)
        m_noteList->setText(noteListText(m_noteSlots, true));
    else
        ui::setCaption(m_noteList, NotesHidden);
    m_noteList->setCursorPosition(0);
    // By ear only the bass (or the lowest note heard) is drawn, and only that is told.
    const char *question = whole                    ? QT_TRANSLATE_NOOP("Velmora", "Chord: %1")
                           : m_noteSlots[0].isEmpty() ? QT_TRANSLATE_NOOP("Velmora", "Lowest note: %1")
                                                      : QT_TRANSLATE_NOOP("Velmora", "Bass: %1");
    announceQuestion(ui::caption(question).arg(m_staff->accessibleDescription()));
}

void ChordsPage::focusChordGrid()
{
    if (QWidget *focus = QApplication::focusWidget()) {
        for (const auto &[cell, button] : m_grid) {
            if (button == focus)
                return;
        }
    }
    for (const auto &[cell, button] : m_grid) {
        if (button->isEnabled()) {
            button->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
}

// The arrows walk the chord grid, over buttons that cannot be pressed; Return presses.
bool ChordsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return ExercisePage::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    const std::map<int, std::pair<int, int>> steps{
        {Qt::Key_Left, {-1, 0}}, {Qt::Key_Right, {1, 0}}, {Qt::Key_Up, {0, -1}}, {Qt::Key_Down, {0, 1}}};
    const auto step = steps.find(key);
    if (step == steps.end())
        return ExercisePage::eventFilter(watched, event);
    for (const auto &[cell, button] : m_grid) {
        if (button != watched)
            continue;
        auto [column, row] = cell;
        for (;;) {
            column += step->second.first;
            row += step->second.second;
            if (column < 0 || column >= ChordAnswerGroups || row < 0 || row >= GridRows)
                return true;
            if (const auto next = m_grid.find({column, row}); next != m_grid.end() && next->second->isEnabled()) {
                next->second->setFocus(Qt::TabFocusReason);
                return true;
            }
        }
    }
    return ExercisePage::eventFilter(watched, event);
}

QString ChordsPage::ReadChosenKey() const
{
    QString chosen;
    const auto keys = chordAnswerKeys();
    for (int i = 0; i < int(keys.size()); ++i) {
        if (m_keyGroup->button(i)->isChecked())
            chosen = QString::fromLatin1(keys[i]);
    }
    return chosen;
}

void ChordsPage::judge(int buttonIndex)
{
    const ChordAnswer &button = chordAnswers()[buttonIndex];
    const QString chosenKey = ReadChosenKey();
    const bool right = isRightChordAnswer(CurrentKey, CurrentChordKind, chosenKey, QString::fromLatin1(button.code));
    if (right && m_hiddenByEar)
        drawQuestion(true);
    const bool rightKey = chosenKey == CurrentKey;
    const bool rightKind = CurrentChordKind == QLatin1String(button.code);
    const QString wrongPart = rightKind ? tr("Right kind, wrong key")
                              : rightKey ? tr("Right key, wrong kind")
                                         : tr("Key and kind both wrong");
    const QString given = QStringLiteral("%1, %2").arg(chosenKey, ui::caption(button.caption).simplified());
    if (right && button.confirmsWithMessage) {
        countAnswer(true, given);
        m_context.prompter.inform(ui::caption(QT_TRANSLATE_NOOP("Velmora", "goed")));
    } else {
        judged(right, given, wrongPart);
    }
}

QString ChordsPage::answerInWords() const
{
    const ChordAnswer *answer = chordAnswerFor(CurrentChordKind);
    const QString kind = answer ? ui::caption(answer->caption).simplified() : CurrentChordKind;
    return QStringLiteral("%1, %2").arg(CurrentKey, kind);
}

} // namespace velmora
