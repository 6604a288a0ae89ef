// The real serial port, through Qt Serial Port. Ports are opened by their
// device path (pseudo-terminals and links included), never looked up in the
// port enumeration.
#pragma once

#include "portnames.h"
#include "seriallink.h"

#include <QObject>
#include <QSerialPort>

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

private:
    void onError(QSerialPort::SerialPortError error);
    bool applySettings();

    PortNames m_names;
    QSerialPort m_port{this};
    QString m_device;
    QString m_settings = QStringLiteral("9600,N,8,1");
    QString m_error;
    int m_number = 0;
    int m_readLength = 0;
    bool m_open = false;
    bool m_closePending = false;
};
