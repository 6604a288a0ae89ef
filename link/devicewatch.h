// The device under an open port going away, and coming back.
//
// A device that goes away while the port is open (a USB adapter that resets
// while the engine cranks, a pulled plug, a suspended laptop) is closed, and
// the port stays open for the logic. The watch then asks for the device to
// be opened again every kReopenIntervalMs, until that succeeds or the logic
// closes the port (a new port number chosen in the dialog wins). A device
// another program holds is left to it; the tries go on quietly. A timer
// rather than a file-system watch: the device may come back under any of
// several names in several folders, and on Windows through COMN; four cheap
// tries a second cost next to nothing and bound the wait for the first
// frame after the return to about a quarter of a second.
//
// A read error alone does not make a device lost. The event loop can find
// the line readable, and another read take the bytes (a discard, the bytes
// below the driver's wake count) before the port hears of it; the port's
// own read then finds nothing, which Qt reports as a resource error. So the
// loss is confirmed first: the device node gone, or its handle no longer
// answering. A device still there has its error cleared and is read on;
// but an error that comes back at once, again and again, with nothing read
// between (kErrorBurst of them within kErrorBurstMs), is taken for a loss
// too: the device is closed and opened anew rather than checked for ever.
//
// Windows reports a removed adapter's wait or read that was under way as a
// resource error, as "access denied" (a permission error) or, with some
// drivers, as "a device attached to the system is not functioning" (an
// unknown error), and Qt starts no further read after any of them: all
// are checked like a read error.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QTimer>

#include <functional>

class DeviceWatch : public QObject {
    Q_OBJECT
public:
    // Opens the device that went away, wherever it now is, and gives its
    // path; empty while it is not back (or another program holds it).
    using Reopen = std::function<QString()>;

    DeviceWatch(QSerialPort &port, Reopen reopen, QObject *parent);

    // The logic opened the port on device (its path): its loss is watched for.
    void watch(const QString &device);
    // The logic closed the port: no loss is reported, the search ends.
    void stop();

    static constexpr int kReopenIntervalMs = 250;
    static constexpr int kErrorBurst = 50;
    static constexpr int kErrorBurstMs = 1000;

signals:
    // The device went away and was closed; why.
    void lost(const QString &why);
    // It was opened again.
    void returned();

private:
    void onError(QSerialPort::SerialPortError error);
    // Why the device under the open port is gone; empty while it is there.
    QString lossConfirmed() const;
    void closeLostDevice();
    void tryReopen();

    QSerialPort &m_port;
    Reopen m_reopen;
    QTimer m_retry{this};
    QString m_device;
    QString m_why;
    QElapsedTimer m_burst; // since the first error with nothing read after it
    int m_errorsInBurst = 0;
    bool m_watching = false;
    bool m_closePending = false;
};
