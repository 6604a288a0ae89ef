// The real serial port, through Qt Serial Port. Ports are opened by their
// device path (pseudo-terminals and links included), never looked up in the
// port enumeration.
//
// Three parts: this class opens the port number's device, writes and
// serves the logic; ArrivalQueue keeps what was received, in order, for the
// reads and an arrival observer; DeviceWatch notices the device going away
// under the open port and has it opened again when it is back. The port
// stays open for the logic meanwhile; polling reads nothing and reports the
// link lost as usual.
//
// The device's identity is remembered when the logic opens the port
// (DeviceIdentity), and after a loss only that device is opened again,
// wherever it now is, with the same line settings: a ports/comN link that
// now leads to another terminal is followed, an adapter is found by its
// by-id name under any ttyUSBn, and another device that the number counts
// meanwhile is left alone.
#pragma once

#include "deviceidentity.h"
#include "devicewatch.h"
#include "portnames.h"
#include "seriallink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>

class ArrivalQueue;

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

    // See ArrivalQueue.
    void setArrivalObserver(ArrivalObserver observer) override;
    // Told as deviceLost() and deviceReturned() are emitted.
    void setDeviceObserver(DeviceObserver observer) override;

    static constexpr int kReopenIntervalMs = DeviceWatch::kReopenIntervalMs;
    // Whether the device itself is open (false while it is away).
    bool deviceOpen() const { return m_port.isOpen(); }

signals:
    // The device went away under the open port, and came back.
    void deviceLost();
    void deviceReturned();

private:
    bool applySettings();
    // Opens device, the port number's; false (with the reason in m_error)
    // when it cannot.
    bool openDevice(const QString &device);
    void deviceWentAway(const QString &why);
    void deviceCameBack();
    // The device that went away, found by its identity and opened: its
    // path; empty while it is not back.
    QString reopenDevice();
    // While the device is away: the other device its number now leads to,
    // if any, and that it is not taken.
    QString otherDeviceNote() const;

    PortNames m_names;
    QSerialPort m_port{this};
    ArrivalQueue *m_arrivals = nullptr; // a child
    DeviceWatch *m_watch = nullptr;     // a child
    DeviceIdentity m_identity;
    QString m_device;
    QString m_lossReason;
    DeviceObserver m_deviceObserver;
    QElapsedTimer m_usbSearch; // since the system's port list was last read
    QString m_settings = QStringLiteral("9600,N,8,1");
    QString m_error;
    int m_number = 0;
    bool m_open = false;
};
