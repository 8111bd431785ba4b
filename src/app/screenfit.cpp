#include "app/screenfit.h"

#include "ui/twips.h"

#include <QLayout>
#include <QMenuBar>
#include <QSize>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The client area of the main window in twips.
constexpr int ClientWidthTwips = 9600;
constexpr int ClientHeightTwips = 7335;
constexpr QSize MinimumScreen{800, 600};

} // namespace

double fittingLayoutScale(const QRect &available, const QSize &screenSize, qreal devicePixelRatio)
{
    if (devicePixelRatio <= 1 && screenSize.width() >= MinimumScreen.width() && screenSize.height() >= MinimumScreen.height())
        return 1;
    QMenuBar menuBar;
    menuBar.addAction(QStringLiteral("Exit"));
    const double width = ClientWidthTwips / double(ui::TwipsPerPixel);
    // The menu bar keeps most of its height at a smaller scale (its padding does not shrink):
    // counted as it is at 100 %, it is never short of room.
    const double height = ClientHeightTwips / double(ui::TwipsPerPixel) + ScoreBarPixels;
    const double fit = std::min((available.width() - FrameWidthAllowance) / width,
                                (available.height() - FrameHeightAllowance - menuBar.sizeHint().height()) / height);
    // Whole hundredths, so that rounding every edge cannot tip the window over the edge.
    return std::clamp(std::floor(fit * 100) / 100, 0.25, 1.0);
}

void resizeWithinScreen(QWidget *dialog, const QWidget *parent, QSize wanted)
{
    if (const QScreen *screen = parent ? parent->screen() : nullptr)
        wanted = wanted.boundedTo(screen->availableGeometry().size() - QSize(2 * FrameWidthAllowance, FrameHeightAllowance + 12));
    dialog->resize(wanted);
}

void centreIn(QWidget *window, const QRect &available)
{
    // The window's final size first: a main window settles its menu bar and layout only when
    // shown, and would otherwise be centred by a height it does not keep.
    window->ensurePolished();
    if (QLayout *layout = window->layout())
        layout->activate();
    QRect frame = window->frameGeometry();
    frame.moveCenter(available.center());
    window->move(frame.topLeft());
}

void centreOnScreen(QWidget *window)
{
    if (const QScreen *screen = window->screen())
        centreIn(window, screen->availableGeometry());
}

} // namespace velmora
