#include "music/notename.h"

namespace velmora {

const std::array<PitchClassAnswer, 12> &pitchClassAnswers()
{
    static const std::array<PitchClassAnswer, 12> answers{{
        {"C", {"C", "Dbb", "B#"}, {"C"}},
        {"C#", {"C#", "Db"}, {"C#", "Db"}},
        {"D", {"D", "Ebb"}, {"D", "Ebb"}},
        {"Eb", {"Eb", "D#"}, {"Eb", "D#"}},
        {"E", {"E", "Fb"}, {"E", "Fb"}},
        {"F", {"F", "Gbb", "E#"}, {"F"}},
        {"F#", {"F#", "Gb"}, {"F#", "Gb"}},
        {"G", {"G", "Abb", "Fx"}, {"G"}},
        {"G#", {"G#", "Ab"}, {"G#", "Ab"}},
        {"A", {"A", "Bbb"}, {"A", "Bbb"}},
        {"Bb", {"Bb", "A#"}, {"Bb", "A#"}},
        {"B", {"B", "Cb"}, {"B", "Cb"}},
    }};
    return answers;
}

bool acceptsAnswer(const QStringList &spellings, QStringView answer)
{
    for (const QString &spelling : spellings) {
        if (sameNote(spelling, answer))
            return true;
    }
    return false;
}

} // namespace velmora
