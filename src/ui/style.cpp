#include "ui/style.h"

#include "ui/controls.h"
#include "ui/twips.h"

#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>

#include <cmath>

namespace velmora {

namespace {

const QColor Light(0xFF, 0xFF, 0xFF);
const QColor Dark(0x80, 0x80, 0x80);
const QColor Shadow(0x40, 0x40, 0x40);

// A classic raised (or sunken) edge: two lines of light and dark on each side.
void drawBevel(QPainter *painter, const QRect &r, bool sunken)
{
    const QColor topLeftOuter = sunken ? Shadow : Light;
    const QColor bottomRightOuter = sunken ? Light : Shadow;
    const QColor topLeftInner = sunken ? Dark : QColor(VelmoraStyle::Face);
    const QColor bottomRightInner = sunken ? QColor(VelmoraStyle::Face) : Dark;
    auto frame = [&](const QRect &f, const QColor &topLeft, const QColor &bottomRight) {
        painter->setPen(topLeft);
        painter->drawLine(f.topLeft(), f.topRight());
        painter->drawLine(f.topLeft(), f.bottomLeft());
        painter->setPen(bottomRight);
        painter->drawLine(f.bottomLeft(), f.bottomRight());
        painter->drawLine(f.topRight(), f.bottomRight());
    };
    frame(r, topLeftOuter, bottomRightOuter);
    frame(r.adjusted(1, 1, -1, -1), topLeftInner, bottomRightInner);
}

} // namespace

VelmoraStyle::VelmoraStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

QPalette VelmoraStyle::fixedPalette()
{
    const QColor face(Face);
    QPalette palette(Qt::black, face, Light, Dark, QColor(0xA0, 0xA0, 0xA0), Qt::black, Qt::white, Qt::white, face);
    palette.setColor(QPalette::Shadow, Shadow);
    palette.setColor(QPalette::Highlight, QColor(0x0A, 0x24, 0x6A));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::PlaceholderText, Dark);
    palette.setColor(QPalette::Link, Qt::blue);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, Dark);
    return palette;
}

// Whatever the desktop's palette, ours: QApplication::setPalette passes every palette through
// the style, the ones a theme sends while the program runs included.
void VelmoraStyle::polish(QPalette &palette)
{
    palette = fixedPalette();
}

int VelmoraStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        return int(std::lround(ui::scaled(13)));
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

void VelmoraStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                 const QWidget *widget) const
{
    if (element == PE_FrameTabWidget) {
        painter->save();
        painter->fillRect(option->rect, QColor(Face));
        drawBevel(painter, option->rect, false);
        painter->restore();
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void VelmoraStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                               const QWidget *widget) const
{
    if (element == CE_TabBarTabShape) {
        const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option);
        if (tab && tab->shape == QTabBar::RoundedNorth) {
            // A classic tab on the face: lit left and top, shaded right; the chosen one stands
            // two pixels taller and open to its page.
            const bool chosen = tab->state & State_Selected;
            const QRect r = chosen ? tab->rect : tab->rect.adjusted(0, 2, 0, -1);
            painter->save();
            painter->fillRect(r, QColor(Face));
            painter->setPen(Light);
            painter->drawLine(r.left(), r.bottom(), r.left(), r.top() + 2);
            painter->drawLine(r.left() + 2, r.top(), r.right() - 2, r.top());
            painter->drawPoint(r.left() + 1, r.top() + 1);
            painter->setPen(Shadow);
            painter->drawLine(r.right(), r.top() + 2, r.right(), r.bottom());
            painter->drawPoint(r.right() - 1, r.top() + 1);
            painter->setPen(Dark);
            painter->drawLine(r.right() - 1, r.top() + 2, r.right() - 1, r.bottom());
            if (!chosen) {
                painter->setPen(Light);
                painter->drawLine(tab->rect.left(), tab->rect.bottom(), tab->rect.right(), tab->rect.bottom());
            }
            painter->restore();
            return;
        }
    }
    if (element == CE_PushButtonBevel) {
        if (const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option)) {
            const bool sunken = button->state & (State_Sunken | State_On);
            painter->save();
            painter->fillRect(button->rect, button->palette.brush(QPalette::Button));
            drawBevel(painter, button->rect, sunken);
            painter->restore();
            return;
        }
    }
    if (element == CE_PushButton) {
        if (const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option)) {
            drawControl(CE_PushButtonBevel, button, painter, widget);
            QStyleOptionButton label(*button);
            label.rect = subElementRect(SE_PushButtonContents, button, widget);
            if (button->state & (State_Sunken | State_On))
                label.rect.translate(1, 1);
            drawControl(CE_PushButtonLabel, &label, painter, widget);
            if (button->state & State_HasFocus) {
                // Black and white together show on every face, the red ones included.
                painter->save();
                const QRect ring = button->rect.adjusted(3, 3, -4, -4);
                painter->setPen(QPen(Qt::white, 1));
                painter->drawRect(ring);
                painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
                painter->drawRect(ring);
                painter->restore();
            }
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void VelmoraStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                                      const QWidget *widget) const
{
    const auto *group = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    if (control != CC_GroupBox || !group || (group->subControls & SC_GroupBoxCheckBox)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // The etched line runs through the middle of the caption, which stands on the face.
    const QRect text = subControlRect(CC_GroupBox, option, SC_GroupBoxLabel, widget);
    const QRect frame = subControlRect(CC_GroupBox, option, SC_GroupBoxFrame, widget);
    painter->save();
    QRegion outside(option->rect);
    if (!group->text.isEmpty())
        outside -= QRegion(text.adjusted(-2, 0, 2, 0));
    painter->setClipRegion(outside);
    const QRect line = frame.adjusted(0, 0, -1, -1);
    painter->setPen(Dark);
    painter->drawRect(line.adjusted(0, 0, -1, -1));
    painter->setPen(Light);
    painter->drawRect(line.adjusted(1, 1, 0, 0));
    painter->setClipping(false);
    if (!group->text.isEmpty()) {
        drawItemText(painter, text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, group->palette,
                     group->state & State_Enabled, group->text, QPalette::WindowText);
    }
    painter->restore();
}

QRect VelmoraStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl sub,
                                   const QWidget *widget) const
{
    if (control == CC_GroupBox) {
        if (const auto *group = qstyleoption_cast<const QStyleOptionGroupBox *>(option)) {
            const QFontMetrics metrics(group->fontMetrics);
            const int height = metrics.height();
            if (sub == SC_GroupBoxLabel) {
                const int width = metrics.horizontalAdvance(group->text);
                return QRect(option->rect.left() + 8, option->rect.top(), width, height);
            }
            if (sub == SC_GroupBoxFrame)
                return option->rect.adjusted(0, height / 2, 0, 0);
            if (sub == SC_GroupBoxContents)
                return option->rect.adjusted(2, height, -2, -2);
        }
    }
    return QProxyStyle::subControlRect(control, option, sub, widget);
}

} // namespace velmora
