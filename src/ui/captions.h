#pragma once

#include <QByteArray>
#include <QString>

class QAction;
class QObject;
class QWidget;

namespace velmora::ui {

// The window's captions are the original layout's texts, marked for Qt's translation tools in one
// context, "Velmora": QT_TRANSLATE_NOOP("Velmora", "GO!"). Each control remembers the source of
// what it shows, so that a change of language (the plain-English captions) retranslates the
// window at once; what the program compares and judges is never a caption.
inline constexpr char CaptionContext[] = "Velmora";

QString caption(const char *source);

// Shows `source`, translated, as the text of a label, button, frame or text box, or of an action.
void setCaption(QWidget *widget, const char *source);
void setCaption(QAction *action, const char *source);
void setAccessibleCaption(QWidget *widget, const char *source);
void setToolTipCaption(QWidget *widget, const char *source);

// Shows every caption of `root` and its children again in the language now installed; a text box
// whose caption has given way to a question keeps the question.
void retranslate(QObject *root);

// The plain-English captions: the built-in translation installed (and retranslating every window)
// or removed. False when the translation cannot be loaded.
bool setPlainEnglish(bool on);
bool plainEnglish();

} // namespace velmora::ui
