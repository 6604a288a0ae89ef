#include "portlist.h"

#include <QFileInfo>
#include <QMap>
#include <QSerialPortInfo>

ListedPort ListedPort::from(const QSerialPortInfo &info)
{
    ListedPort port;
    port.portName = info.portName();
    port.systemLocation = info.systemLocation();
    port.description = info.description();
    port.hasUsbNumbers = info.hasVendorIdentifier() && info.hasProductIdentifier();
    port.vendor = info.vendorIdentifier();
    port.product = info.productIdentifier();
    port.serialNumber = info.serialNumber();
    return port;
}

namespace portlist {

QList<ListedPort> systemPorts()
{
    QList<ListedPort> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        ports.append(ListedPort::from(info));
    return ports;
}

int comNumber(QStringView name)
{
    if (name.startsWith(u"\\\\.\\") || name.startsWith(u"//./"))
        name = name.mid(4);
    if (name.size() < 4 || !name.first(3).startsWith(u"COM", Qt::CaseInsensitive))
        return 0;
    const QStringView digits = name.mid(3);
    // Digits only: no sign, no space, no leading zero (COM03 is no port).
    if (digits.size() > 6 || digits.front() == u'0')
        return 0;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return 0;
    return digits.toInt();
}

QString comName(int number) { return QStringLiteral("COM%1").arg(number); }

QString openName(const QString &device)
{
    if (const int n = comNumber(device); n > 0)
        return comName(n);
    const QString real = QFileInfo(device).canonicalFilePath();
    return real.isEmpty() ? device : real;
}

QList<PortName> numbered(const QList<ListedPort> &ports)
{
    QMap<int, PortName> names;
    for (const ListedPort &port : ports) {
        const int n = comNumber(port.portName);
        if (n > 0 && !names.contains(n))
            names.insert(n, {n, comName(n), port.description});
    }
    return names.values();
}

qsizetype indexOf(const QList<ListedPort> &ports, const QString &device)
{
    const int n = comNumber(device);
    const QString real = n > 0 ? QString() : QFileInfo(device).canonicalFilePath();
    for (qsizetype i = 0; i < ports.size(); ++i) {
        const ListedPort &port = ports[i];
        if (n > 0) {
            if (comNumber(port.portName) == n || comNumber(port.systemLocation) == n)
                return i;
            continue;
        }
        if (!device.isEmpty() && port.systemLocation == device)
            return i;
        if (!real.isEmpty() && QFileInfo(port.systemLocation).canonicalFilePath() == real)
            return i;
    }
    return -1;
}

bool isAdapter(const ListedPort &port, quint16 vendor, quint16 product, const QString &serialNumber)
{
    return port.hasUsbNumbers && port.vendor == vendor && port.product == product &&
           port.serialNumber == serialNumber;
}

qsizetype indexOfUsb(const QList<ListedPort> &ports, quint16 vendor, quint16 product,
                     const QString &serialNumber)
{
    qsizetype found = -1;
    for (qsizetype i = 0; i < ports.size(); ++i) {
        if (!isAdapter(ports[i], vendor, product, serialNumber))
            continue;
        if (found >= 0)
            return -1; // two that cannot be told apart
        found = i;
    }
    return found;
}

QString openNameOf(const ListedPort &port)
{
    if (const int n = comNumber(port.portName); n > 0)
        return comName(n);
    return port.systemLocation;
}

} // namespace portlist
