#pragma once

#include <QPalette>
#include <QProxyStyle>

namespace velmora {

// The program's own look over Fusion: one light grey face for the window, the tabs, the tab
// pages and every frame (Fusion would lighten the pages and the chosen tab), whatever palette the desktop hands out (before or after the window is shown); coloured
// buttons painted flat in exactly their colour with a classic bevel, sunken when pressed or
// selected; a focus ring that shows on any face; 13-pixel check boxes that fit the 13-pixel
// controls of the layout; and a frame's line through the middle of its caption.
class VelmoraStyle : public QProxyStyle
{
    Q_OBJECT
public:
    VelmoraStyle();

    static QPalette fixedPalette();
    static constexpr QRgb Face = 0xD4D0C8;

    void polish(QPalette &palette) override;
    using QProxyStyle::polish;
    QPalette standardPalette() const override { return fixedPalette(); }
    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr, const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl sub,
                         const QWidget *widget = nullptr) const override;
};

} // namespace velmora
