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
    // Builds the main window and runs its loading, then calls `loaded` with it once the loading,
    // start sound included, is over.
    using LoadMainWindow = std::function<void(std::function<void(QWidget *mainWindow)> loaded)>;

    // `clock` starts the timer that calls `loadMainWindow`.
    SplashWindow(Clock &clock, LoadMainWindow loadMainWindow, QWidget *parent = nullptr);

    void Form_Load();
    void Timer1_Timer();

private:
    LoadMainWindow m_loadMainWindow;
    QLabel *m_version;
    QTimer *m_timer;
};

} // namespace velmora
