#include "ui/feedback.h"

#include "ui/accessibility.h"
#include "ui/captions.h"
#include "sound/soundplayer.h"
#include "ui/pressgate.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>

namespace velmora {

const QString Feedback::EmptyLineName = QStringLiteral("Verdict");

Feedback::Feedback(QLabel *statusLine, QCheckBox *soundOff, PressGate &presses, QObject *parent)
    : QObject(parent), m_statusLine(statusLine), m_reader(new ui::StatusReader(statusLine, EmptyLineName)),
      m_soundOff(soundOff), m_presses(presses)
{
    m_reader->setObjectName(QStringLiteral("StatusReader"));
}

void Feedback::ShowCorrect()
{
    report(QT_TRANSLATE_NOOP("Velmora", "Your Answer Was Correct!"), sounds::Correct);
}

void Feedback::ShowIncorrect()
{
    report(QT_TRANSLATE_NOOP("Velmora", "Your Answer Was Incorrect! Try Again!"), sounds::Incorrect);
}

void Feedback::clear()
{
    m_statusLine->clear();
    m_statusLine->setAccessibleName(EmptyLineName);
    // A go press empties the line and then changes the score: one change to tell.
    if (m_detail.isEmpty())
        tellReader();
    else
        tellSoon();
}

void Feedback::setDetail(const QString &detail)
{
    if (detail == m_detail)
        return;
    m_detail = detail;
    tellSoon();
}

void Feedback::tellSoon()
{
    if (m_detailUntold)
        return;
    m_detailUntold = true;
    QMetaObject::invokeMethod(this, [this] {
        if (m_detailUntold)
            tellReader();
    }, Qt::QueuedConnection);
}

void Feedback::tellReader()
{
    m_detailUntold = false;
    const QString verdict = m_statusLine->text();
    m_reader->setMessage(m_detail.isEmpty() || verdict.isEmpty() ? verdict + m_detail
                                                                 : verdict + QLatin1Char(' ') + m_detail);
}

void Feedback::report(const char *verdict, const QString &soundFile)
{
    ui::setCaption(m_statusLine, verdict);
    const QString text = m_statusLine->text();
    // The verdict is the line's accessible name, and every verdict is told, the same one again
    // included (it answers a new press); the blinking only hides and shows the line.
    if (m_statusLine->accessibleName() == text) {
        QAccessibleEvent told(m_statusLine, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&told);
    } else {
        m_statusLine->setAccessibleName(text); // tells it
    }
    tellReader();
    if (!m_soundOff->isChecked())
        m_presses.playHeld(soundFile);
}

} // namespace velmora
