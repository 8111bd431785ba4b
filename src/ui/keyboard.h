#pragma once

#include <QKeySequence>
#include <QList>
#include <QStringList>

class QAbstractButton;
class QShortcut;
class QWidget;

namespace velmora::ui {

// The controls under `root` that take focus, in reading order: the left of two controls side by
// side (the height of one spanning the other's) first, else the higher, the controls of a frame
// together where the frame stands.
QList<QWidget *> readingOrder(QWidget *root);

// Makes Tab visit `widgets` in the order given.
void chainFocus(const QList<QWidget *> &widgets);

// The keys of a spelled note: its letter, with Shift for a sharp and Ctrl for a flat ("C#" is
// Shift+C, "Eb" Ctrl+E); empty for any other spelling.
QKeySequence spelledNoteKey(const QString &note);

// The keys that name the pitch-class button `pitchClass` (0 = C): a white key's letter; a black
// key's letter below with Shift, and the letter above with Ctrl (C# is Shift+C and Ctrl+D).
QList<QKeySequence> pitchClassKeys(int pitchClass);

// Lets `keys` press `button` while `page` is the page shown (and no message box is up), and
// names the keys in the button's tool tip. The press is the button's own click.
QShortcut *pressOnKeys(QWidget *page, QAbstractButton *button, const QList<QKeySequence> &keys);
// The keys pressOnKeys gave `button`, as its tool tip names them (the Help menu lists them).
QStringList keysOf(const QAbstractButton *button);

} // namespace velmora::ui
