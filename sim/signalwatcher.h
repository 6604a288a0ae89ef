// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal: the handler only writes
// the signal number into a pipe, which the event loop watches.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace zsim {

class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject *parent);
    ~SignalWatcher() override;

    // Starts catching the termination signals; false when the pipe or the
    // handlers cannot be set up.
    bool start();

signals:
    void caught(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace zsim
