#pragma once

#include <QObject>

class QCheckBox;
class QLabel;

namespace velmora {

namespace ui {
class StatusReader;
}

class SoundPlayer;

// The verdict every exercise gives: a sentence in the blinking status line and, unless
// "Sound off" is ticked at that moment, a sound. A screen reader finds the sentence at any moment
// of the blink in a status reader over the line.
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
    ui::StatusReader *m_reader;
    QCheckBox *m_soundOff;
    SoundPlayer &m_sound;
};

} // namespace velmora
