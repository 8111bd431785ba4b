#include "ui/captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTranslator>

#include <memory>

namespace velmora::ui {

namespace {

// Each remembered caption is its source and what was last shown for it: a text the program has
// since replaced (a question in a text box) is left alone.
struct Kind
{
    const char *source;
    const char *shown;
};
constexpr Kind TextCaption{"velmoraCaption", "velmoraCaptionShown"};
constexpr Kind AccessibleCaption{"velmoraAccessible", "velmoraAccessibleShown"};
constexpr Kind ToolTipCaption{"velmoraToolTip", "velmoraToolTipShown"};

QString textOf(QObject *object)
{
    if (auto *label = qobject_cast<QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return button->text();
    if (auto *frame = qobject_cast<QGroupBox *>(object))
        return frame->title();
    if (auto *edit = qobject_cast<QLineEdit *>(object))
        return edit->text();
    if (auto *action = qobject_cast<QAction *>(object))
        return action->text();
    return {};
}

void setTextOf(QObject *object, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(object)) {
        label->setText(text);
    } else if (auto *button = qobject_cast<QAbstractButton *>(object)) {
        button->setText(text);
    } else if (auto *frame = qobject_cast<QGroupBox *>(object)) {
        frame->setTitle(text);
    } else if (auto *edit = qobject_cast<QLineEdit *>(object)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    } else if (auto *action = qobject_cast<QAction *>(object)) {
        action->setText(text);
    }
}

void remember(QObject *object, const Kind &kind, const char *source, const QString &shown)
{
    object->setProperty(kind.source, QByteArray(source));
    object->setProperty(kind.shown, shown);
}

void retranslateOne(QObject *object)
{
    const auto again = [object](const Kind &kind, const QString &current, const auto &set) {
        const QVariant source = object->property(kind.source);
        if (!source.isValid() || current != object->property(kind.shown).toString())
            return;
        const QString text = caption(source.toByteArray().constData());
        set(text);
        object->setProperty(kind.shown, text);
    };
    again(TextCaption, textOf(object), [object](const QString &text) { setTextOf(object, text); });
    if (auto *widget = qobject_cast<QWidget *>(object)) {
        again(AccessibleCaption, widget->accessibleName(), [widget](const QString &text) { widget->setAccessibleName(text); });
        again(ToolTipCaption, widget->toolTip(), [widget](const QString &text) { widget->setToolTip(text); });
    }
}

std::unique_ptr<QTranslator> &plainEnglishTranslator()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

} // namespace

QString caption(const char *source)
{
    return QCoreApplication::translate(CaptionContext, source);
}

void setCaption(QWidget *widget, const char *source)
{
    const QString text = caption(source);
    setTextOf(widget, text);
    remember(widget, TextCaption, source, text);
}

void setCaption(QAction *action, const char *source)
{
    const QString text = caption(source);
    action->setText(text);
    remember(action, TextCaption, source, text);
}

void setAccessibleCaption(QWidget *widget, const char *source)
{
    const QString text = caption(source);
    widget->setAccessibleName(text);
    remember(widget, AccessibleCaption, source, text);
}

void setToolTipCaption(QWidget *widget, const char *source)
{
    const QString text = caption(source);
    widget->setToolTip(text);
    remember(widget, ToolTipCaption, source, text);
}

void retranslate(QObject *root)
{
    retranslateOne(root);
    for (QObject *child : root->findChildren<QObject *>())
        retranslateOne(child);
}

bool setPlainEnglish(bool on)
{
    std::unique_ptr<QTranslator> &translator = plainEnglishTranslator();
    if (on == bool(translator))
        return true;
    if (on) {
        auto loaded = std::make_unique<QTranslator>();
        if (!loaded->load(QStringLiteral(":/translations/velmora_en.qm")) || !QCoreApplication::installTranslator(loaded.get()))
            return false;
        translator = std::move(loaded);
    } else {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
    // Qt tells the windows only while its event loop runs; a switch before it (--english) or from a
    // test is told here. A window told twice retranslates to the same captions.
    QEvent change(QEvent::LanguageChange);
    for (QWidget *window : QApplication::topLevelWidgets())
        QCoreApplication::sendEvent(window, &change);
    return true;
}

bool plainEnglish()
{
    return bool(plainEnglishTranslator());
}

} // namespace velmora::ui
