#pragma once

#include <QSize>
#include <QtGlobal>

class QRect;
class QSize;
class QWidget;

namespace velmora {

// The height of the score bar below the window's fixed layout, at 100 %; the fit leaves room for
// it, so that showing it never pushes the window off the screen.
inline constexpr int ScoreBarPixels = 18;
// Room for a title bar and borders, which are not known before a window manager has framed the window.
inline constexpr int FrameWidthAllowance = 8;
inline constexpr int FrameHeightAllowance = 36;

// The largest layout scale, at most 1, at which the fixed main window fits `available` (a
// screen's area in logical pixels), its menu bar and a window manager's frame included; always 1
// at 100 % (`devicePixelRatio` 1) on a screen of at least 800 x 600, where the window was made to
// fit. The look must be applied: the menu bar is measured in the form's font.
double fittingLayoutScale(const QRect &available, const QSize &screenSize, qreal devicePixelRatio);

// Gives a dialog of `parent` the size `wanted`, or less, so that it and its frame fit the screen
// the window fits.
void resizeWithinScreen(QWidget *dialog, const QWidget *parent, QSize wanted);

// Centres `window`, frame included, in `available`, or on its screen's available area.
void centreIn(QWidget *window, const QRect &available);
void centreOnScreen(QWidget *window);

} // namespace velmora
