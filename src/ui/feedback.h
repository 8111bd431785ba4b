#pragma once

#include <QObject>

class QCheckBox;
class QLabel;

namespace velmora {

class SoundPlayer;

// The verdict every exercise gives: a sentence in the blinking status line and, unless
// "Sound off" is ticked at that moment, a sound.
class Feedback : public QObject
{
    Q_OBJECT
public:
    Feedback(QLabel *statusLine, QCheckBox *soundOff, SoundPlayer &sound, QObject *parent = nullptr);

    // The status line's accessible name while it holds no verdict.
    static const QString EmptyLineName;

    void ShowCorrect();
    void ShowIncorrect();
    void show(bool correct) { correct ? ShowCorrect() : ShowIncorrect(); }
    void clear();

private:
    void report(const QString &text, const QString &soundFile);

    QLabel *m_statusLine;
    QCheckBox *m_soundOff;
    SoundPlayer &m_sound;
};

} // namespace velmora
