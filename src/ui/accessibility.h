#pragma once

#include <QList>
#include <QWidget>

class QAbstractButton;

namespace velmora::ui {

// Buttons of which exactly one is chosen, as a screen reader and the Tab key should meet them:
// each reports itself as a radio button with its checked state (push buttons included), and
// Tab enters the group on the chosen one, the arrows moving within it.
void exclusiveChoice(const QList<QAbstractButton *> &buttons);

// Tells a screen reader `sentence` through `widget`'s description: a reader speaks a change of the
// focused control's description, so a control keeps the focus and still has news told. The same
// sentence again is told again.
void announce(QWidget *widget, const QString &sentence);

// A status line that a screen reader finds at any time, for one that blinks in and out of the
// accessibility tree: it paints nothing and takes no clicks, lies where the blinking line does,
// and reads as a status bar whose name and text are the line's message. Each message is told,
// the same one again included.
class StatusReader : public QWidget
{
    Q_OBJECT
public:
    StatusReader(QWidget *line, const QString &emptyName);

    void setMessage(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
    QString m_emptyName;
};

} // namespace velmora::ui
