#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QTimer;

namespace velmora {

class Clock;

// frmSplash: shown first; 100 ms later its timer loads the main window, shows it and closes
// the splash.
class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    // `loadMainWindow` builds the main window and runs its loading, start sound included; `clock`
    // starts the timer that calls it.
    SplashWindow(Clock &clock, std::function<QWidget *()> loadMainWindow, QWidget *parent = nullptr);

    void Form_Load();
    void Timer1_Timer();

private:
    std::function<QWidget *()> m_loadMainWindow;
    QLabel *m_version;
    QTimer *m_timer;
};

} // namespace velmora
