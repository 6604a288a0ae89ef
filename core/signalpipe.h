// POSIX signals (SIGTERM, SIGHUP, ...) turned into a Qt signal on the event
// loop. A signal handler may do only async-signal-safe work, so the handler
// writes the signal's number into a pipe and nothing else; a QSocketNotifier
// on the pipe's other end emits `caught` from the loop (the self-pipe). The
// handlers are process-wide: one SignalPipe at a time. Where the system has
// no such signals to catch (Windows), start() answers false.
#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

namespace zcore {

class SignalPipe : public QObject {
    Q_OBJECT
public:
    // What a second delivery of a signal already caught does.
    enum class Again {
        Caught,        // caught as well
        DefaultAction, // the signal's default action (ends a program whose
                       // loop no longer runs)
    };

    explicit SignalPipe(QObject *parent = nullptr);
    ~SignalPipe() override; // gives the signals their default action back

    // Starts catching the signals; false when the pipe or a handler cannot
    // be set up (nothing is caught then).
    bool start(const QList<int> &signalNumbers, Again again = Again::Caught);

signals:
    void caught(int signalNumber);

private:
    void readPipe();
    void release();

    QList<int> m_signals;
    QSocketNotifier *m_notifier = nullptr; // a child
};

} // namespace zcore
