#include "deviceidentity.h"

#include "portnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QSerialPortInfo>

namespace {

QString canonical(const QString &path) { return QFileInfo(path).canonicalFilePath(); }

// The link in the by-id folder that leads to device; empty when none does.
QString byIdLinkTo(const QString &folder, const QString &device)
{
    const QString real = canonical(device);
    if (real.isEmpty())
        return {};
    const QFileInfoList links = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links)
        if (link.isSymLink() && link.canonicalFilePath() == real)
            return link.absoluteFilePath();
    return {};
}

// Whether the system's port list names this device.
bool sameDevice(const QSerialPortInfo &info, const QString &device)
{
#ifdef Q_OS_WIN
    return info.portName().compare(device, Qt::CaseInsensitive) == 0;
#else
    if (info.systemLocation() == device)
        return true;
    const QString real = canonical(device);
    return !real.isEmpty() && canonical(info.systemLocation()) == real;
#endif
}

// The path a port of the system's list is opened by.
QString pathOf(const QSerialPortInfo &info)
{
#ifdef Q_OS_WIN
    return info.portName(); // COMN
#else
    return info.systemLocation();
#endif
}

} // namespace

DeviceIdentity DeviceIdentity::of(const PortNames &names, int number, const QString &device)
{
    DeviceIdentity id;
    id.m_number = number;
    id.m_path = device;
    if (!names.chosenDevice(number).isEmpty()) {
        id.m_kind = Kind::ChosenName;
        return id;
    }
    const QString byId = byIdLinkTo(names.byIdFolder(), device);
    if (!byId.isEmpty()) {
        id.m_kind = Kind::ById;
        id.m_path = byId;
        return id;
    }
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        if (!sameDevice(info, device))
            continue;
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            id.m_kind = Kind::Usb;
            id.m_vendor = info.vendorIdentifier();
            id.m_product = info.productIdentifier();
            id.m_serial = info.serialNumber();
        }
        break;
    }
    return id;
}

QString DeviceIdentity::find(const PortNames &names) const
{
    switch (m_kind) {
    case Kind::ChosenName: {
        const QString device = names.chosenDevice(m_number);
        return QFileInfo::exists(device) ? device : QString();
    }
    case Kind::ById:
        return canonical(m_path); // empty while the link leads nowhere
    case Kind::Usb: {
        QStringList found;
        const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo &info : ports) {
            if (info.hasVendorIdentifier() && info.vendorIdentifier() == m_vendor &&
                info.hasProductIdentifier() && info.productIdentifier() == m_product &&
                info.serialNumber() == m_serial)
                found.append(pathOf(info));
        }
        if (found.size() == 1)
            return found.first();
        return {}; // not there, or two that cannot be told apart
    }
    case Kind::Path:
#ifdef Q_OS_WIN
        return m_path; // COMN: opening it tells whether it is there
#else
        return QFileInfo::exists(m_path) ? m_path : QString();
#endif
    }
    return {};
}

QString DeviceIdentity::describe() const
{
    switch (m_kind) {
    case Kind::ChosenName:
        return QCoreApplication::translate("DeviceIdentity", "the device ports/com%1 names")
            .arg(m_number);
    case Kind::ById:
        return QFileInfo(m_path).fileName();
    case Kind::Usb:
        return QCoreApplication::translate("DeviceIdentity", "USB %1:%2 serial number \"%3\"")
            .arg(m_vendor, 4, 16, QLatin1Char('0'))
            .arg(m_product, 4, 16, QLatin1Char('0'))
            .arg(m_serial);
    case Kind::Path:
        return m_path;
    }
    return {};
}
