#pragma once

#include <QObject>

class QCheckBox;
class QLabel;

namespace velmora {

namespace ui {
class StatusReader;
}

class PressGate;

// The verdict every exercise gives: a sentence in the blinking status line and, unless
// "Sound off" is ticked at that moment, a sound. A screen reader finds the sentence at any moment
// of the blink in a status reader over the line.
class Feedback : public QObject
{
    Q_OBJECT
public:
    Feedback(QLabel *statusLine, QCheckBox *soundOff, PressGate &presses, QObject *parent = nullptr);

    // The status line's accessible name while it holds no verdict.
    static const QString EmptyLineName;

    void ShowCorrect();
    void ShowIncorrect();
    void show(bool correct) { correct ? ShowCorrect() : ShowIncorrect(); }
    void clear();

    // What a screen reader reads after the verdict (the score bar's line while it is shown). A
    // change is told with the next verdict, or on its own once the event that made it is done,
    // so that an answer's verdict and score are told together, once.
    void setDetail(const QString &detail);

private:
    void report(const char *verdict, const QString &soundFile);
    void tellReader();
    void tellSoon();

    QString m_detail;
    bool m_detailUntold = false;
    QLabel *m_statusLine;
    ui::StatusReader *m_reader;
    QCheckBox *m_soundOff;
    PressGate &m_presses;
};

} // namespace velmora
