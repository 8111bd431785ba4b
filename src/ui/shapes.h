#pragma once

#include <QColor>
#include <QWidget>

namespace velmora {

// A straight line between two points of its container, as the form's line controls are.
class LineShape : public QWidget
{
    Q_OBJECT
public:
    LineShape(QWidget *parent, const char *name, QPoint fromTwips, QPoint toTwips, QColor colour = Qt::black);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPointF m_from;
    QPointF m_to;
    QColor m_colour;
};

// A hollow circle, the note head.
class CircleShape : public QWidget
{
    Q_OBJECT
public:
    explicit CircleShape(QWidget *parent = nullptr) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent *event) override;
};


} // namespace velmora
