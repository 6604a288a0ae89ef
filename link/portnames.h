// Which device a port number means on this machine.
//
// On Windows port N is COMN. Elsewhere, a file ports/comN in the tool's
// configuration folder may name the device (a symbolic link to it, or a
// one-line text file holding its path); otherwise ports are numbered as Wine
// numbers serial ports: /dev/ttyS0, ttyS1, ..., then /dev/ttyUSB0, ...,
// then /dev/ttyACM0, ..., each family counted from 0 up to its first missing
// number, and called COM1, COM2, ... in that combined order.
//
// The same counting can give a number to another device while one is away;
// DeviceIdentity tells them apart.
#pragma once

#include <QList>
#include <QString>

struct PortName {
    int number = 0;
    QString device;      // the path to open
    QString description; // what the system calls the port, where it says
};

class PortNames {
public:
    // configDir: the tool's configuration folder; devRoot: where devices live.
    PortNames(QString configDir, QString devRoot = QStringLiteral("/dev"));

    // The device for port N; empty when the number maps to nothing.
    QString deviceFor(int number) const;
    // The device that ports/comN names for port N; empty when none does.
    QString chosenDevice(int number) const;
    // Where the way to that device begins: ports/comN itself when it is a
    // link, the path it holds when it is a file; empty when none.
    QString chosenEntry(int number) const;
    // Where the system keeps a link named after each USB serial adapter
    // (its maker, model and serial number): devRoot/serial/by-id.
    QString byIdFolder() const;

    // Every number this machine maps, overrides included, in number order.
    QList<PortName> describe() const;

private:
    QStringList familyDevices() const;

    QString m_configDir;
    QString m_devRoot;
};
