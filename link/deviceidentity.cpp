#include "deviceidentity.h"

#include "portnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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

DeviceIdentity::Node DeviceIdentity::Node::of(const QString &path, bool link)
{
    Node node;
#ifdef Q_OS_UNIX
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    if (path.isEmpty() ||
        (link ? ::lstat(name.constData(), &info) : ::stat(name.constData(), &info)) != 0)
        return node;
    node.valid = true;
    node.inode = qint64(info.st_ino);
    node.madeSeconds = qint64(info.st_ctim.tv_sec);
    node.madeNanoseconds = qint64(info.st_ctim.tv_nsec);
#else
    Q_UNUSED(path); // COMn: no node to tell apart; USB numbers do it
    Q_UNUSED(link);
#endif
    return node;
}

DeviceIdentity::Links DeviceIdentity::linksFrom(QString path)
{
    Links links;
    // A bound for a loop of links.
    for (int step = 0; step < 32; ++step) {
        const QFileInfo info(path);
        if (!info.isSymLink())
            break;
        links.append({path, Node::of(path, true)});
        path = info.symLinkTarget();
    }
    return links;
}

DeviceIdentity DeviceIdentity::of(const PortNames &names, int number, const QString &device)
{
    DeviceIdentity id;
    id.m_number = number;
    id.m_path = device;
    id.m_chosen = !names.chosenDevice(number).isEmpty();
    id.m_opened = canonical(device);
    id.m_node = Node::of(id.m_opened);
    id.m_links = linksFrom(id.wayStart(names));
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

QString DeviceIdentity::wayStart(const PortNames &names) const
{
    return m_chosen ? names.chosenEntry(m_number) : m_path;
}

bool DeviceIdentity::turned(const PortNames &names) const
{
    return linksFrom(wayStart(names)) != m_links;
}

bool DeviceIdentity::isStill(const PortNames &names, const QString &path) const
{
    switch (m_kind) {
    case Kind::ById:
        return byIdLinkTo(names.byIdFolder(), path) == m_path;
    case Kind::Usb: {
        const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo &info : ports)
            if (sameDevice(info, path))
                return info.hasVendorIdentifier() && info.vendorIdentifier() == m_vendor &&
                       info.hasProductIdentifier() && info.productIdentifier() == m_product &&
                       info.serialNumber() == m_serial;
        return false;
    }
    case Kind::ChosenName:
    case Kind::Path:
        break;
    }
    return Node::of(path) == m_node;
}

QString DeviceIdentity::find(const PortNames &names) const
{
    if (m_chosen) {
        const QString device = names.chosenDevice(m_number);
        if (!QFileInfo::exists(device))
            return {};
        // Turned to another device, or to the same path by a link made
        // anew: followed. Still leading there by the same links: taken only
        // while that path is the same device.
        const QString real = canonical(device);
        return real != m_opened || turned(names) || isStill(names, real) ? device : QString();
    }
    switch (m_kind) {
    case Kind::ChosenName: // m_chosen
        return {};
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
        return QFileInfo::exists(m_path) && (turned(names) || isStill(names, canonical(m_path)))
                   ? m_path
                   : QString();
#endif
    }
    return {};
}

QString DeviceIdentity::describe() const
{
    switch (kind()) {
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
