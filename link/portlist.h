// The system's list of serial ports, and the choices the link makes over it:
// which number a Windows port name carries, how a port name is opened, which
// listed port is the device the link opened. The choices are plain functions
// over a list, so that they hold, and are tested, the same on every system.
//
// On Windows a port is named COMN. CreateFile needs \\.\COMN for N of 10 and
// above; Qt Serial Port adds that prefix itself to a name that begins with
// "COM" in capitals (and to nothing else), so the link always hands it the
// plain upper-case COMN.
#pragma once

#include "portnames.h"

#include <QList>
#include <QString>
#include <QStringView>

class QSerialPortInfo;

// One port of the system's list.
struct ListedPort {
    QString portName;       // COM3 on Windows; ttyUSB0 elsewhere
    QString systemLocation; // \\.\COM3; /dev/ttyUSB0
    QString description;    // what the system calls it ("USB-SERIAL CH340")
    bool hasUsbNumbers = false;
    quint16 vendor = 0;
    quint16 product = 0;
    QString serialNumber; // the adapter's own, where it has one

    static ListedPort from(const QSerialPortInfo &info);
};

namespace portlist {

// The system's list as it is now (reading it takes about 15 ms).
QList<ListedPort> systemPorts();

// N of a Windows port name: COMN, \\.\COMN or //./COMN, in any case; 0 when
// the name is no such name (or N is 0).
int comNumber(QStringView name);
// COMN.
QString comName(int number);

// The name to open a device by. A Windows port name is a device, never a
// file: it is taken as it stands, made the plain COMN. Anything else is a
// path, followed through its links to the device itself (so that lock files
// see one device under all of its names); a path that leads nowhere stays.
QString openName(const QString &device);

// The listed ports that carry a COM number, by number, each with the
// system's description: the port numbers a Windows machine offers.
QList<PortName> numbered(const QList<ListedPort> &ports);

// Which listed port is the device opened at device (a COM name or a path):
// its index; -1 when none is.
qsizetype indexOf(const QList<ListedPort> &ports, const QString &device);

// Whether the listed port is the USB adapter with these numbers.
bool isAdapter(const ListedPort &port, quint16 vendor, quint16 product,
               const QString &serialNumber);

// Which listed port is the USB adapter with these numbers: its index; -1
// when none is, and when more than one answers (two adapters of one make
// without serial numbers cannot be told apart, so neither is taken).
qsizetype indexOfUsb(const QList<ListedPort> &ports, quint16 vendor, quint16 product,
                     const QString &serialNumber);

// The name a listed port is opened by: COMN on Windows, the path elsewhere.
QString openNameOf(const ListedPort &port);

} // namespace portlist
