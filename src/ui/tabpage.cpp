#include "ui/tabpage.h"

#include <QEvent>
#include <QTabWidget>

namespace velmora {

TabPage::TabPage(QTabWidget *tabControl) : m_tabControl(tabControl), m_canvas(new QWidget(this))
{
    m_canvas->resize(tabControl->size());
}

bool TabPage::event(QEvent *event)
{
    const bool result = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::ParentChange:
        alignCanvas();
        break;
    default:
        break;
    }
    return result;
}

void TabPage::alignCanvas()
{
    if (!m_tabControl->isAncestorOf(this))
        return;
    m_canvas->setGeometry(QRect(-mapTo(m_tabControl, QPoint(0, 0)), m_tabControl->size()));
}

} // namespace velmora
