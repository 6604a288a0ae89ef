// The real serial port, through Qt Serial Port. Ports are opened by their
// device path (pseudo-terminals and links included), never looked up in the
// port enumeration.
//
// A device that goes away while the port is open (a USB adapter that resets
// while the engine cranks, a pulled plug, a suspended laptop) is closed, and
// the port stays open for the logic. The link then looks for the device
// again every kReopenIntervalMs: the same port number resolved by the same
// rule (so a ports/comN or by-id link that now leads to another device is
// followed), opened with the same line settings. A device another program
// holds is left to it (its lock is respected); the tries go on quietly until
// it is free, the device is back, or the logic closes the port (a new port
// number chosen in the dialog wins). A timer rather than a file-system
// watch: the device may come back under any of several names in several
// folders (ports/, /dev, /dev/serial/by-id), and on Windows through COMN;
// four cheap tries a second cost next to nothing and bound the wait for the
// first frame after the return to about a quarter of a second.
#pragma once

#include "portnames.h"
#include "seriallink.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

class SerialPortLink : public QObject, public SerialLink {
    Q_OBJECT
public:
    SerialPortLink(PortNames names, QObject *parent);

    bool setPortNumber(int number) override;
    int portNumber() const override { return m_number; }
    bool setSettings(const QString &settings) override;
    void setReadLength(int length) override;

    // Open as the logic sees it: a port whose device went away stays open
    // (and silent) until the logic closes it.
    bool isOpen() const override { return m_open; }
    bool open() override;
    void close() override;

    bool write(QByteArrayView bytes) override;
    QByteArray read() override;
    void discardInput() override;

    QString lastError() const override { return m_error; }
    QString deviceName() const { return m_device; }

    // Observed, the port's buffer takes all that arrives and hands it on at
    // once; the reads are served from the link's own queue by the same rules
    // (the oldest characters, at most the read length; a discard drops all
    // that has arrived). On Linux the driver is asked to wake the tool only
    // once as many bytes wait as the observer needs (the rest of a frame),
    // not for each piece the adapter delivers: a frame's last byte still
    // wakes it at once, and a read or discard takes the fewer bytes waiting.
    // Not observed, one read's worth waits in the port and the rest in the
    // driver, so a busy line wakes the tool no more.
    void setArrivalObserver(ArrivalObserver observer) override;
    // What the queue holds at most, as a driver's receive buffer would.
    static constexpr qsizetype kQueueLimit = 4096;

    static constexpr int kReopenIntervalMs = 250;
    // Whether the device itself is open (false while it is away).
    bool deviceOpen() const { return m_port.isOpen(); }

signals:
    // The device went away under the open port, and came back.
    void deviceLost();
    void deviceReturned();

private:
    void onError(QSerialPort::SerialPortError error);
    bool applySettings();
    // Resolves the port number to its device and opens it; false (with the
    // reason in m_error) when it cannot.
    bool openDevice();
    void closeLostDevice();
    void tryReopen();
    // Observed: takes what the port has received into the queue and hands
    // it to the observer.
    void takeArrived();
    // Observed: takes the bytes the driver holds below the wake-up count.
    void takeHeldByDriver();
    void deliver(const QByteArray &bytes);
    void setWakeCount(qsizetype count);

    PortNames m_names;
    QSerialPort m_port{this};
    QTimer m_reopen{this};
    QString m_device;
    QString m_settings = QStringLiteral("9600,N,8,1");
    QString m_error;
    int m_number = 0;
    int m_readLength = 0;
    int m_wakeCount = 0; // the driver's MIN while observed; 0: every byte
    ArrivalObserver m_observer;
    QByteArray m_held;  // read first after the observer went; see setArrivalObserver
    QByteArray m_queue; // observed: received, not yet read or discarded
    bool m_open = false;
    bool m_closePending = false;
};
