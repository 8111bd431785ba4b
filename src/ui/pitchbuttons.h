#pragma once

#include <QString>

class QButtonGroup;
class QWidget;

namespace velmora {

// The twelve red note buttons of the interval and transposition answers, named prefix + "C",
// prefix + "Cis", ...; a button's id is its index in pitchClassAnswers().
QButtonGroup *addPitchButtons(QWidget *frame, const char *prefix);
// The name of the button for pitchClassAnswers()[index].
QString pitchButtonName(const char *prefix, int index);

} // namespace velmora
