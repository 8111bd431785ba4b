#include "ui/pitchbuttons.h"

#include "music/notename.h"
#include "ui/keyboard.h"
#include "ui/controls.h"
#include "ui/twips.h"

#include <QButtonGroup>
#include <QPushButton>

namespace velmora {

namespace {

// Laid out like one octave of a keyboard on its side: naturals in a column, the rest between.
struct PitchPlace
{
    const char *nameSuffix; // "Cis" gives Int_Cis and Play_Cis
    int left;               // twips inside the answer frame
    int top;
};

constexpr std::array<PitchPlace, 12> PitchPlaces{{
    {"C", 480, 360},    {"Cis", 1080, 600}, {"D", 480, 840},    {"Eb", 1080, 1080}, {"E", 480, 1320},  {"F", 480, 1800},
    {"Fis", 1080, 2040}, {"G", 480, 2280},  {"Gis", 1080, 2520}, {"A", 480, 2760},  {"Bb", 1080, 3000}, {"B", 480, 3240},
}};

} // namespace

QString pitchButtonName(const char *prefix, int index)
{
    return QLatin1String(prefix) + QLatin1String(PitchPlaces[size_t(index)].nameSuffix);
}

QButtonGroup *addPitchButtons(QWidget *frame, const char *prefix)
{
    auto *group = new QButtonGroup(frame);
    const auto &answers = pitchClassAnswers();
    for (int i = 0; i < int(answers.size()); ++i) {
        const PitchPlace &place = PitchPlaces[size_t(i)];
        auto *button = ui::colouredButton(frame, qPrintable(pitchButtonName(prefix, i)), QString::fromLatin1(answers[size_t(i)].caption),
                                          ui::twipsRect(place.left, place.top, 375, 375), QColor(0xFF, 0, 0));
        group->addButton(button, i);
        ui::pressOnKeys(frame, button, ui::pitchClassKeys(i));
    }
    return group;
}

} // namespace velmora
