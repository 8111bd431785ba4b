#include "ui/keyboard.h"

#include <QAbstractButton>
#include <QShortcut>
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
        // A control that Tab passes by for now (an option not chosen) keeps its place for later.
        if (child->focusPolicy() != Qt::NoFocus)
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

namespace {

int letterKey(QChar letter)
{
    const char c = letter.toUpper().toLatin1();
    return c >= 'A' && c <= 'G' ? Qt::Key_A + (c - 'A') : 0;
}

} // namespace

QKeySequence spelledNoteKey(const QString &note)
{
    const int key = note.isEmpty() ? 0 : letterKey(note.front());
    if (!key || note.size() > 2)
        return {};
    if (note.size() == 1)
        return QKeySequence(key);
    if (note.at(1) == QLatin1Char('#'))
        return QKeySequence(Qt::SHIFT | key);
    if (note.at(1) == QLatin1Char('b'))
        return QKeySequence(Qt::CTRL | key);
    return {};
}

QList<QKeySequence> pitchClassKeys(int pitchClass)
{
    static const char letters[] = "CDEFGAB";
    static const int pitches[] = {0, 2, 4, 5, 7, 9, 11};
    QList<QKeySequence> keys;
    for (int i = 0; i < 7; ++i) {
        const int key = letterKey(QLatin1Char(letters[i]));
        if (pitches[i] == pitchClass)
            return {QKeySequence(key)};
        if ((pitches[i] + 1) % 12 == pitchClass)
            keys.prepend(QKeySequence(Qt::SHIFT | key));
        if ((pitches[i] + 11) % 12 == pitchClass)
            keys.append(QKeySequence(Qt::CTRL | key));
    }
    return keys;
}

QShortcut *pressOnKeys(QWidget *page, QAbstractButton *button, const QList<QKeySequence> &keys)
{
    if (keys.isEmpty())
        return nullptr;
    // A window shortcut of the page: only the page shown has its shortcuts, and a message box,
    // being the active window, holds them all.
    auto *shortcut = new QShortcut(page);
    shortcut->setKeys(keys);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isEnabled() && button->isVisible())
            button->click();
    });
    QStringList names;
    for (const QKeySequence &key : keys)
        names << key.toString(QKeySequence::NativeText);
    if (button->toolTip().isEmpty())
        button->setToolTip(QStringLiteral("Key: %1").arg(names.join(QStringLiteral(" or "))));
    return shortcut;
}

} // namespace velmora::ui
