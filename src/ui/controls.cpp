#include "ui/controls.h"

#include "ui/captions.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace velmora::ui {

namespace {

template <typename W>
W *placed(W *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

} // namespace

QLabel *label(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    return placed(new QLabel(caption, parent), name, geometry);
}

QLabel *wrappedLabel(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    QLabel *wrapped = label(parent, name, caption, geometry);
    wrapped->setWordWrap(true);
    wrapped->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return wrapped;
}

QPushButton *pushButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *button = placed(new QPushButton(caption, parent), name, geometry);
    button->setAutoDefault(false);
    return button;
}

QPushButton *colouredButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry,
                            const QColor &back, const QColor &text)
{
    auto *button = pushButton(parent, name, caption, geometry);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, back);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    button->setPalette(palette);
    return button;
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption, const QRect &geometry, bool ticked)
{
    auto *box = placed(new QCheckBox(caption, parent), name, geometry);
    box->setChecked(ticked);
    return box;
}

QRadioButton *optionButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry,
                           bool selected)
{
    auto *option = placed(new QRadioButton(caption, parent), name, geometry);
    option->setChecked(selected);
    return option;
}

QLineEdit *readOnlyText(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *edit = placed(new QLineEdit(text, parent), name, geometry);
    edit->setReadOnly(true);
    // Tab reaches it, so that a screen reader reads the question; a click leaves the focus alone.
    edit->setFocusPolicy(Qt::TabFocus);
    edit->setCursorPosition(0);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    edit->setPalette(palette);
    return edit;
}

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    return placed(new QGroupBox(caption, parent), name, geometry);
}

namespace {

template <typename Widget>
Widget *captioned(Widget *widget, const char *caption)
{
    setCaption(widget, caption);
    return widget;
}

} // namespace

QLabel *label(QWidget *parent, const char *name, const char *caption, const QRect &geometry)
{
    return captioned(label(parent, name, QString(), geometry), caption);
}

QLabel *wrappedLabel(QWidget *parent, const char *name, const char *caption, const QRect &geometry)
{
    return captioned(wrappedLabel(parent, name, QString(), geometry), caption);
}

QPushButton *pushButton(QWidget *parent, const char *name, const char *caption, const QRect &geometry)
{
    return captioned(pushButton(parent, name, QString(), geometry), caption);
}

QPushButton *colouredButton(QWidget *parent, const char *name, const char *caption, const QRect &geometry,
                            const QColor &back, const QColor &text)
{
    return captioned(colouredButton(parent, name, QString(), geometry, back, text), caption);
}

QCheckBox *checkBox(QWidget *parent, const char *name, const char *caption, const QRect &geometry, bool ticked)
{
    return captioned(checkBox(parent, name, QString(), geometry, ticked), caption);
}

QRadioButton *optionButton(QWidget *parent, const char *name, const char *caption, const QRect &geometry,
                           bool selected)
{
    return captioned(optionButton(parent, name, QString(), geometry, selected), caption);
}

QLineEdit *readOnlyText(QWidget *parent, const char *name, const char *text, const QRect &geometry)
{
    return captioned(readOnlyText(parent, name, QString(), geometry), text);
}

QGroupBox *frame(QWidget *parent, const char *name, const char *caption, const QRect &geometry)
{
    return captioned(frame(parent, name, QString(), geometry), caption);
}

QTimer *hideTimer(QObject *parent, const char *name, int intervalMs, QWidget *label)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(intervalMs);
    QObject::connect(timer, &QTimer::timeout, label, &QWidget::hide);
    return timer;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace velmora::ui
