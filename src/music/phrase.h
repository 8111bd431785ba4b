#pragma once

#include <QStringView>

#include <optional>
#include <vector>

namespace velmora {

// A note as a musician reads it, as a MIDI key number (middle C, C4, is 60), in the given octave:
// the letter's pitch there, then its accidental ("Cb" in octave 4 is B3, "B#" is C5). Nothing for
// a text that is no letter A..G with one of the suffixes "", "#", "x", "b", "bb", "bbb".
std::optional<int> pitchOf(QStringView note, int octave);

// What the synthesizer plays for a question: notes, each from its start for its length.
struct Phrase
{
    struct Note
    {
        int key;     // MIDI key number
        int startMs;
        int lengthMs;
        bool operator==(const Note &) const = default;
    };
    std::vector<Note> notes;

    bool isEmpty() const { return notes.empty(); }
    int lengthMs() const;
    // `other` after this one, with a short breath between.
    Phrase then(const Phrase &other) const;
    bool operator==(const Phrase &) const = default;
};

namespace phrase {
inline constexpr int StepMs = 350;  // one note after another
inline constexpr int HeldMs = 1500; // all together
inline constexpr int BreathMs = 250;

// The keys one after another in the order given, then all together.
Phrase inOrderThenTogether(const std::vector<int> &keys);
// The same from the lowest key up.
Phrase brokenThenTogether(std::vector<int> keys);
Phrase single(int key);
} // namespace phrase

} // namespace velmora
