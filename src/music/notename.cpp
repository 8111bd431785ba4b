#include "music/notename.h"

namespace velmora {

const std::array<PitchClassButton, 12> &pitchClassButtons()
{
    // Laid out like one octave of a keyboard on its side: naturals in a column, the rest between.
    static const std::array<PitchClassButton, 12> buttons{{
        {"C", "C", 480, 360, {"C", "Dbb", "B#"}, {"C"}},
        {"Cis", "C#", 1080, 600, {"C#", "Db"}, {"C#", "Db"}},
        {"D", "D", 480, 840, {"D", "Ebb"}, {"D", "Ebb"}},
        {"Eb", "Eb", 1080, 1080, {"Eb", "D#"}, {"Eb", "D#"}},
        {"E", "E", 480, 1320, {"E", "Fb"}, {"E", "Fb"}},
        {"F", "F", 480, 1800, {"F", "Gbb", "E#"}, {"F"}},
        {"Fis", "F#", 1080, 2040, {"F#", "Gb"}, {"F#", "Gb"}},
        {"G", "G", 480, 2280, {"G", "Abb", "Fx"}, {"G"}},
        {"Gis", "G#", 1080, 2520, {"G#", "Ab"}, {"G#", "Ab"}},
        {"A", "A", 480, 2760, {"A", "Bbb"}, {"A", "Bbb"}},
        {"Bb", "Bb", 1080, 3000, {"Bb", "A#"}, {"Bb", "A#"}},
        {"B", "B", 480, 3240, {"B", "Cb"}, {"B", "Cb"}},
    }};
    return buttons;
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
