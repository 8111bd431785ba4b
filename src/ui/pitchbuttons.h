#pragma once

class QButtonGroup;
class QWidget;

namespace velmora {

// The twelve red note buttons of the interval and transposition answers, named prefix + "C",
// prefix + "Cis", ...; a button's id is its index in pitchClassButtons().
QButtonGroup *addPitchButtons(QWidget *frame, const char *prefix);

} // namespace velmora
