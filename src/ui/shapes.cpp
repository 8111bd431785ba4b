#include "ui/shapes.h"

#include "ui/captions.h"

#include "ui/twips.h"

#include <QPainter>

namespace velmora {

LineShape::LineShape(QWidget *parent, const char *name, QPoint fromTwips, QPoint toTwips, QColor colour)
    : QWidget(parent), m_colour(colour)
{
    setObjectName(QLatin1String(name));
    ui::setAccessibleCaption(this, QT_TRANSLATE_NOOP("Velmora", "Separator line"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QRect box = ui::twipsRect(qMin(fromTwips.x(), toTwips.x()), qMin(fromTwips.y(), toTwips.y()),
                                    qAbs(toTwips.x() - fromTwips.x()), qAbs(toTwips.y() - fromTwips.y()));
    setGeometry(box.adjusted(0, 0, 1, 1));
    m_from = QPointF(ui::twipsToPixelsF(fromTwips.x()), ui::twipsToPixelsF(fromTwips.y())) - box.topLeft();
    m_to = QPointF(ui::twipsToPixelsF(toTwips.x()), ui::twipsToPixelsF(toTwips.y())) - box.topLeft();
}

void LineShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(m_colour, 1.0));
    painter.drawLine(m_from + QPointF(0.5, 0.5), m_to + QPointF(0.5, 0.5));
}

void CircleShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.2));
    painter.drawEllipse(QRectF(rect()).adjusted(0.6, 0.6, -0.6, -0.6));
}

} // namespace velmora
