#include "dbcheck/musictheory.h"

#include "exercises/intervals/intervals.h"
#include "music/notename.h"

#include <array>

namespace velmora::theory {

namespace {

constexpr QStringView Letters = NoteLetters;
constexpr const std::array<int, 7> &NaturalPitch = LetterSemitones;

struct Suffix
{
    QStringView text;
    int semitones;
};
constexpr std::array<Suffix, 6> Suffixes{{{u"", 0}, {u"#", 1}, {u"x", 2}, {u"b", -1}, {u"bb", -2}, {u"bbb", -3}}};

int mod(int a, int n)
{
    return ((a % n) + n) % n;
}

std::optional<int> letterIndex(QStringView note)
{
    if (note.isEmpty())
        return std::nullopt;
    const qsizetype index = Letters.indexOf(note.front());
    return index < 0 ? std::nullopt : std::optional<int>(int(index));
}

std::optional<int> suffixSemitones(QStringView suffix)
{
    for (const Suffix &s : Suffixes) {
        if (s.text == suffix)
            return s.semitones;
    }
    return std::nullopt;
}

// The note `steps` letters above `start` (negative: below), `semitones` above it in pitch.
std::optional<QString> spell(QStringView start, int steps, int semitones)
{
    const auto letter = letterIndex(start);
    const auto pitch = pitchClass(start);
    if (!letter || !pitch)
        return std::nullopt;
    const int target = mod(*letter + steps, 7);
    int accidental = mod(*pitch + semitones - NaturalPitch[target], 12);
    if (accidental > 6)
        accidental -= 12;
    for (const Suffix &s : Suffixes) {
        if (s.semitones == accidental)
            return Letters.mid(target, 1).toString() + s.text.toString();
    }
    return std::nullopt;
}

struct IntervalSize
{
    int steps; // letters
    int semitones;
};

// The size of each interval the exercise asks, in the order of intervalChoices(), which names them.
constexpr std::array<IntervalSize, IntervalChoiceCount> IntervalSizes{{
    {0, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 4}, {3, 5}, {3, 6}, {4, 7}, {5, 8}, {5, 9}, {6, 10}, {6, 11}, {7, 12},
}};

} // namespace

std::optional<int> pitchClass(QStringView note)
{
    const auto letter = letterIndex(note);
    if (!letter)
        return std::nullopt;
    const auto accidental = suffixSemitones(note.mid(1));
    if (!accidental)
        return std::nullopt;
    return mod(NaturalPitch[*letter] + *accidental, 12);
}

std::optional<QString> degreeSpelling(QStringView key, QStringView degreeField)
{
    int alteration = 0;
    QStringView number = degreeField;
    if (number.startsWith(u"bb")) {
        alteration = -2;
        number = number.mid(2);
    } else if (number.startsWith(u"b")) {
        alteration = -1;
        number = number.mid(1);
    } else if (number.startsWith(u"+")) {
        alteration = 1;
        number = number.mid(1);
    }
    bool ok = false;
    const int degree = number.toInt(&ok);
    if (!ok || degree < 1)
        return std::nullopt;
    const int steps = degree - 1;
    const int semitones = NaturalPitch[steps % 7] + alteration;
    return spell(key, steps, semitones);
}

std::optional<QString> intervalCompletion(QStringView start, QStringView intervalName, QStringView direction)
{
    const int sign = direction == u"up" ? 1 : direction == u"down" ? -1 : 0;
    if (sign == 0)
        return std::nullopt;
    for (int i = 0; i < IntervalChoiceCount; ++i) {
        if (intervalName == QLatin1String(intervalChoices()[i].name))
            return spell(start, sign * IntervalSizes[i].steps, sign * IntervalSizes[i].semitones);
    }
    return std::nullopt;
}

} // namespace velmora::theory
