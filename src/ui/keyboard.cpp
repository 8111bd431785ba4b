#include "ui/keyboard.h"

#include "music/notename.h"
#include "ui/captions.h"

#include <QAbstractButton>
#include <QShortcut>
#include <QWidget>

#include <algorithm>

namespace velmora::ui {

namespace {

constexpr char KeysProperty[] = "velmoraKeys";

} // namespace

QList<QWidget *> readingOrder(QWidget *root)
{
    QList<QWidget *> children = root->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    children.removeIf([](const QWidget *w) { return w->isWindow(); });
    // Of two controls side by side (the height of one spans the other's) the left one is read
    // first, a column of the page to its end; otherwise the higher one, so that staggered rows
    // (the black keys between the white) read in turn.
    const auto spans = [](const QRect &outer, const QRect &inner) {
        return outer.top() <= inner.top() && outer.bottom() >= inner.bottom();
    };
    const auto before = [&spans](const QWidget *a, const QWidget *b) {
        const QRect ra = a->geometry(), rb = b->geometry();
        const bool sideBySide = spans(ra, rb) || spans(rb, ra);
        if (sideBySide && ra.left() != rb.left())
            return ra.left() < rb.left();
        return ra.top() != rb.top() ? ra.top() < rb.top() : ra.left() < rb.left();
    };
    // The rule need not be transitive, so the order is picked one control at a time: the first,
    // from the top, that nothing left to pick comes before.
    std::stable_sort(children.begin(), children.end(), [](const QWidget *a, const QWidget *b) {
        return a->geometry().top() < b->geometry().top();
    });
    QList<QWidget *> sorted;
    while (!children.isEmpty()) {
        qsizetype next = 0;
        for (qsizetype i = 0; i < children.size(); ++i) {
            const bool free = std::none_of(children.begin(), children.end(),
                                           [&](const QWidget *other) { return other != children[i] && before(other, children[i]); });
            if (free) {
                next = i;
                break;
            }
        }
        sorted << children.takeAt(next);
    }
    QList<QWidget *> order;
    for (QWidget *child : std::as_const(sorted)) {
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
    QList<QKeySequence> keys;
    for (size_t i = 0; i < LetterSemitones.size(); ++i) {
        const int key = letterKey(NoteLetters[qsizetype(i)]);
        if (LetterSemitones[i] == pitchClass)
            return {QKeySequence(key)};
        if ((LetterSemitones[i] + 1) % 12 == pitchClass)
            keys.prepend(QKeySequence(Qt::SHIFT | key));
        if ((LetterSemitones[i] + 11) % 12 == pitchClass)
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
    QStringList names = keysOf(button);
    for (const QKeySequence &key : keys)
        names << key.toString(QKeySequence::NativeText);
    button->setProperty(KeysProperty, names);
    button->setToolTip(caption(QT_TRANSLATE_NOOP("Velmora", "Key: %1")).arg(names.join(caption(QT_TRANSLATE_NOOP("Velmora", " or ")))));
    return shortcut;
}

QStringList keysOf(const QAbstractButton *button)
{
    return button->property(KeysProperty).toStringList();
}

} // namespace velmora::ui
