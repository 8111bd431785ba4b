#pragma once

#include <QList>

class QAbstractButton;

namespace velmora::ui {

// Buttons of which exactly one is chosen, as a screen reader and the Tab key should meet them:
// each reports itself as a radio button with its checked state (push buttons included), and
// Tab enters the group on the chosen one, the arrows moving within it.
void exclusiveChoice(const QList<QAbstractButton *> &buttons);

} // namespace velmora::ui
