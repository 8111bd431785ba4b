#include "ui/twips.h"

#include <cmath>

namespace velmora::ui {

namespace {
double currentScale = 1.0;
}

void setLayoutScale(double scale)
{
    currentScale = scale;
}

double layoutScale()
{
    return currentScale;
}

double scaled(double size)
{
    return size * currentScale;
}

double twipsToPixelsF(double twips)
{
    return twips * currentScale / TwipsPerPixel;
}

int twipsToPixels(int twips)
{
    return int(std::lround(twipsToPixelsF(twips)));
}

QRect twipsRect(int left, int top, int width, int height)
{
    const int x = twipsToPixels(left);
    const int y = twipsToPixels(top);
    return QRect(x, y, twipsToPixels(left + width) - x, twipsToPixels(top + height) - y);
}

} // namespace velmora::ui
