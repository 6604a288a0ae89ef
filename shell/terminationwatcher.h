// The system asking the program to end, turned into the signal `requested`
// on the event loop, so that the program ends as it does from its own
// window: a running recording gets its last row and goes to the disk.
//
// POSIX: SIGTERM (the laptop shutting down, a service manager), SIGHUP (the
// terminal it runs in closed) and SIGINT (Ctrl+C there), through a self-pipe
// (core/signalpipe.h). A second one gets the default action: it ends a
// program whose loop no longer runs.
//
// Windows: the console closed, Ctrl+C or Ctrl+Break in it, the user logging
// off or the system shutting down (a console control handler, on a thread
// of its own, which waits until the loop has answered, as the system ends
// the process when it returns), and the end of the desktop session, during
// which Qt says the application is about to quit.
#pragma once

#include <QObject>

namespace zcore {
class SignalPipe;
}

class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject *parent = nullptr);
    ~TerminationWatcher() override;

    // Starts watching; false when it cannot be set up (the program then
    // ends at a signal the way it did without it).
    bool start();

signals:
    void requested();

private:
    zcore::SignalPipe *m_signals = nullptr; // a child; POSIX only
    bool m_started = false;
};
