// The bytes the port has received, handed to the reads oldest first, and to
// an arrival observer as they come.
//
// Not observed, one read's worth waits in the port and the rest in the
// driver, so a busy line wakes the tool no more than the reads need.
// Observed, the port hands all that arrives to the observer at once and
// the reads are served from the queue here by the same rules (the oldest
// characters, at most the read length; a discard drops all that has
// arrived). On Linux the driver is then asked to wake the tool only once as
// many bytes wait as the observer needs (the rest of a frame), not for each
// piece the adapter delivers: a frame's last byte still wakes it at once,
// and a read or discard takes the fewer bytes waiting.
//
// Received bytes wait in up to three places. Oldest first:
//   1. the queue here: while observed, everything taken from the port; after
//      that, what the reads had not taken yet;
//   2. the port's own buffer (Qt's): one read's worth while not observed,
//      emptied at every arrival while observed;
//   3. the driver: what the port has not read yet; while observed, the
//      bytes fewer than the wake count, of which the port is not told, are
//      read here.
// take() is the one function that hands bytes to the reads, and it takes
// them in that order.
#pragma once

#include "seriallink.h"

#include <QObject>

class QSerialPort;

class ArrivalQueue : public QObject {
    Q_OBJECT
public:
    ArrivalQueue(QSerialPort &port, QObject *parent);

    // One read returns at most this many characters (0: what the port holds).
    void setReadLength(int length);
    void setObserver(SerialLink::ArrivalObserver observer);

    // One read: the oldest received characters, at most the read length.
    QByteArray take();
    // Drops every character received until now (the observer sees them first).
    void discard();
    // The device was closed (by the logic, or lost): what waited is gone
    // with it, and a new device starts with the port's own wake-up rule.
    void clear();

    // What the queue holds at most, as a driver's receive buffer would.
    static constexpr qsizetype kQueueLimit = 4096;

private:
    qint64 readLength() const;
    // Observed: takes what the port has received into the queue and hands
    // it to the observer.
    void takeArrived();
    // Observed: takes the bytes the driver holds below the wake count.
    void takeHeldByDriver();
    void deliver(const QByteArray &bytes);
    void setWakeCount(qsizetype count);

    QSerialPort &m_port;
    SerialLink::ArrivalObserver m_observer;
    QByteArray m_queue;
    int m_readLength = 0;
    int m_wakeCount = 0; // the driver's MIN while observed; 0: the port's own, every byte
};
