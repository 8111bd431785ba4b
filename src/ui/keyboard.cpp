#include "ui/keyboard.h"

#include <QWidget>

#include <algorithm>

namespace velmora::ui {

QList<QWidget *> readingOrder(QWidget *root)
{
    QList<QWidget *> children = root->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    children.removeIf([](const QWidget *w) { return w->isWindow(); });
    // Rows of the layout share their top edge, so top then left is the reading order.
    std::stable_sort(children.begin(), children.end(), [](const QWidget *a, const QWidget *b) {
        const QRect ra = a->geometry(), rb = b->geometry();
        return ra.top() != rb.top() ? ra.top() < rb.top() : ra.left() < rb.left();
    });
    QList<QWidget *> order;
    for (QWidget *child : children) {
        if (child->focusPolicy() & Qt::TabFocus)
            order << child;
        else
            order << readingOrder(child);
    }
    return order;
}

void chainFocus(const QList<QWidget *> &widgets)
{
    for (qsizetype i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

} // namespace velmora::ui
