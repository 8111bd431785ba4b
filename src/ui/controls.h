#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QObject;
class QPushButton;
class QRadioButton;
class QTimer;
class QWidget;

// The controls every page is built of, each named and placed as the layout says.
namespace velmora::ui {

// The helpers below take their geometry in pixels, as twipsRect() gives it. A caption given as
// `const char *` is a translatable one (QT_TRANSLATE_NOOP("Velmora", ...)); a QString is shown as it
// is (a note's name).

QLabel *label(QWidget *parent, const char *name, const QString &caption, const QRect &geometry);
// A caption wrapped over several lines from the top-left, as the tabs' "Purpose: ..." texts are.
QLabel *wrappedLabel(QWidget *parent, const char *name, const QString &caption, const QRect &geometry);
QPushButton *pushButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry);
QPushButton *colouredButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry,
                            const QColor &back, const QColor &text = Qt::black);
QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption, const QRect &geometry, bool ticked);
QRadioButton *optionButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry,
                           bool selected);
QLineEdit *readOnlyText(QWidget *parent, const char *name, const QString &text, const QRect &geometry);
QGroupBox *frame(QWidget *parent, const char *name, const QString &caption, const QRect &geometry);

QLabel *label(QWidget *parent, const char *name, const char *caption, const QRect &geometry);
QLabel *wrappedLabel(QWidget *parent, const char *name, const char *caption, const QRect &geometry);
QPushButton *pushButton(QWidget *parent, const char *name, const char *caption, const QRect &geometry);
QPushButton *colouredButton(QWidget *parent, const char *name, const char *caption, const QRect &geometry,
                            const QColor &back, const QColor &text = Qt::black);
QCheckBox *checkBox(QWidget *parent, const char *name, const char *caption, const QRect &geometry, bool ticked);
QRadioButton *optionButton(QWidget *parent, const char *name, const char *caption, const QRect &geometry,
                           bool selected);
QLineEdit *readOnlyText(QWidget *parent, const char *name, const char *text, const QRect &geometry);
QGroupBox *frame(QWidget *parent, const char *name, const char *caption, const QRect &geometry);

// A timer that hides its cheat label at every tick; whoever owns the clock starts it.
QTimer *hideTimer(QObject *parent, const char *name, int intervalMs, QWidget *label);

void setTextColour(QWidget *widget, const QColor &colour);
void setBackground(QWidget *widget, const QColor &colour);

} // namespace velmora::ui
