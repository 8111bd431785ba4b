#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

namespace velmora {

// A spelled note: an upper-case letter A..G followed by one of "", "#", "x", "b", "bb", "bbb".
// Spellings are never derived from one another; they come from the music data or the tables here.
struct NoteName
{
    QStringView letter;
    QStringView suffix;

    static NoteName split(QStringView text)
    {
        return {text.left(1), text.mid(qMin<qsizetype>(1, text.size()))};
    }
};

// The seven note letters from C, and how many semitones each lies above C.
inline constexpr QStringView NoteLetters = u"CDEFGAB";
inline constexpr std::array<int, 7> LetterSemitones{0, 2, 4, 5, 7, 9, 11};

// The semitones of `letter` above C; nothing for a character that is no upper-case note letter.
inline std::optional<int> letterSemitones(QChar letter)
{
    const qsizetype index = NoteLetters.indexOf(letter);
    return index < 0 ? std::nullopt : std::optional<int>(LetterSemitones[size_t(index)]);
}

// Names are equal only as identical text; an empty name equals nothing.
inline bool sameNote(QStringView a, QStringView b)
{
    return !a.isEmpty() && a == b;
}

// One pitch class as the interval and transposition exercises take it for an answer: each accepts
// its own set of enharmonic spellings.
struct PitchClassAnswer
{
    const char *caption;
    QStringList intervalSpellings;
    QStringList transposeSpellings;
};

// From C up.
const std::array<PitchClassAnswer, 12> &pitchClassAnswers();

bool acceptsAnswer(const QStringList &spellings, QStringView answer);

} // namespace velmora
