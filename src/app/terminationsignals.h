#pragma once

#include <QObject>

class QSocketNotifier;

namespace velmora {

// SIGTERM, SIGINT and SIGHUP, turned into a signal of the event loop (a self-pipe): the program then
// ends as a window closed by other means does, without the quit question or its sound, and what it
// holds (its private folders) is let go on the way out. A signal that comes while a message box is
// up is handled once it is answered; one that comes during a sound, at once.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // Whether an end was asked for: a question asked when it came counts as answered No.
    static bool received();

signals:
    void endRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace velmora
