#include "music/phrase.h"

#include "music/notename.h"

#include <algorithm>
#include <array>

namespace velmora {

std::optional<int> pitchOf(QStringView note, int octave)
{
    const std::optional<int> letter = note.isEmpty() ? std::nullopt : letterSemitones(note.front());
    if (!letter)
        return std::nullopt;
    const QStringView suffix = note.mid(1);
    int shift = 0;
    if (suffix == u"#")
        shift = 1;
    else if (suffix == u"x")
        shift = 2;
    else if (suffix == u"b")
        shift = -1;
    else if (suffix == u"bb")
        shift = -2;
    else if (suffix == u"bbb")
        shift = -3;
    else if (!suffix.isEmpty())
        return std::nullopt;
    return 12 * (octave + 1) + *letter + shift;
}

int Phrase::lengthMs() const
{
    int end = 0;
    for (const Note &note : notes)
        end = std::max(end, note.startMs + note.lengthMs);
    return end;
}

Phrase Phrase::then(const Phrase &other) const
{
    Phrase joined = *this;
    const int offset = isEmpty() ? 0 : lengthMs() + phrase::BreathMs;
    for (Note note : other.notes) {
        note.startMs += offset;
        joined.notes.push_back(note);
    }
    return joined;
}

namespace phrase {

Phrase brokenThenTogether(std::vector<int> keys)
{
    std::ranges::sort(keys);
    return inOrderThenTogether(keys);
}

Phrase inOrderThenTogether(const std::vector<int> &keys)
{
    Phrase out;
    int start = 0;
    for (const int key : keys) {
        out.notes.push_back({key, start, StepMs});
        start += StepMs;
    }
    for (const int key : keys)
        out.notes.push_back({key, start, HeldMs});
    return out;
}

Phrase single(int key)
{
    return {{{key, 0, HeldMs}}};
}

} // namespace phrase
} // namespace velmora
