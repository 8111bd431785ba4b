#pragma once

#include <QRect>

namespace velmora::ui {
// The layout is given in twips, 15 to a pixel at 100 % scale. Edges are rounded, not sizes, so
// that controls which meet in twips also meet in pixels.
inline constexpr int TwipsPerPixel = 15;
int twipsToPixels(int twips);
double twipsToPixelsF(double twips);
QRect twipsRect(int left, int top, int width, int height); // in pixels

// The scale the whole layout is drawn at, controls, fonts and the staff together: 1 unless the
// window would not fit the screen (set once, before any window is built).
void setLayoutScale(double scale);
double layoutScale();
// `pixels` or `points` of the layout at 100 %, at the layout's scale.
double scaled(double size);

} // namespace velmora::ui
