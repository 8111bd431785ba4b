#pragma once

#include <QWidget>

class QTabWidget;

namespace velmora {

// A page of the tab control whose children are placed from the tab control's own top-left
// corner, tab strip included, as the layout gives them: they go on a canvas that is shifted
// back by the page's offset inside the tab control.
class TabPage : public QWidget
{
    Q_OBJECT
public:
    explicit TabPage(QTabWidget *tabControl);

    QWidget *canvas() const { return m_canvas; }

protected:
    bool event(QEvent *event) override;

private:
    void alignCanvas();

    QTabWidget *m_tabControl;
    QWidget *m_canvas;
};

} // namespace velmora
