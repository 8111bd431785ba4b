#pragma once

#include <QList>

class QWidget;

namespace velmora::ui {

// The controls under `root` that take focus from the Tab key, in reading order: top to bottom,
// then left to right, the controls of a frame together where the frame stands.
QList<QWidget *> readingOrder(QWidget *root);

// Makes Tab visit `widgets` in the order given.
void chainFocus(const QList<QWidget *> &widgets);

} // namespace velmora::ui
