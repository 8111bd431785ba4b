#include "ui/feedback.h"

#include "ui/soundplayer.h"

#include <QCheckBox>
#include <QLabel>

namespace velmora {

Feedback::Feedback(QLabel *statusLine, QCheckBox *soundOff, SoundPlayer &sound, QObject *parent)
    : QObject(parent), m_statusLine(statusLine), m_soundOff(soundOff), m_sound(sound)
{
}

void Feedback::ShowCorrect()
{
    report(QStringLiteral("Your Answer Was Correct!"), QStringLiteral("sound/2.wav"));
}

void Feedback::ShowIncorrect()
{
    report(QStringLiteral("Your Answer Was Incorrect! Try Again!"), QStringLiteral("sound/4.wav"));
}

void Feedback::clear()
{
    m_statusLine->clear();
}

void Feedback::report(const QString &text, const QString &soundFile)
{
    m_statusLine->setText(text);
    if (!m_soundOff->isChecked())
        m_sound.play(soundFile);
}

} // namespace velmora
