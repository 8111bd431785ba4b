#pragma once

class QRect;
class QWidget;

namespace velmora {

// The largest layout scale, at most 1, at which the fixed main window fits `available` (a
// screen's area in logical pixels), its menu bar and a window manager's frame included. The
// look must be applied: the menu bar is measured in the form's font.
double fittingLayoutScale(const QRect &available);

// Centres `window`, frame included, in `available`, or on its screen's available area.
void centreIn(QWidget *window, const QRect &available);
void centreOnScreen(QWidget *window);

} // namespace velmora
