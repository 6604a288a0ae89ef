#include "deviceidentity.h"

#include "portlist.h"
#include "portnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

QString canonical(const QString &path) { return QFileInfo(path).canonicalFilePath(); }

// The link in the by-id folder that leads to device; empty when none does
// (and for a Windows port name, which no link leads to).
QString byIdLinkTo(const QString &folder, const QString &device)
{
    if (portlist::comNumber(device) > 0)
        return {};
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
    if (portlist::comNumber(path) > 0)
        return links; // a Windows port name: a device, no file
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
    id.m_opened = portlist::openName(device);
    id.m_node = Node::of(id.m_opened);
    id.m_links = linksFrom(id.wayStart(names));
    const QString byId = byIdLinkTo(names.byIdFolder(), device);
    if (!byId.isEmpty()) {
        id.m_kind = Kind::ById;
        id.m_path = byId;
        return id;
    }
    const QList<ListedPort> ports = portlist::systemPorts();
    if (const qsizetype i = portlist::indexOf(ports, device); i >= 0 && ports[i].hasUsbNumbers) {
        id.m_kind = Kind::Usb;
        id.m_vendor = ports[i].vendor;
        id.m_product = ports[i].product;
        id.m_serial = ports[i].serialNumber;
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
        const QList<ListedPort> ports = portlist::systemPorts();
        const qsizetype i = portlist::indexOf(ports, path);
        return i >= 0 && portlist::isAdapter(ports[i], m_vendor, m_product, m_serial);
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
        const QList<ListedPort> ports = portlist::systemPorts();
        const qsizetype i = portlist::indexOfUsb(ports, m_vendor, m_product, m_serial);
        // Not there, or two that cannot be told apart: none.
        return i >= 0 ? portlist::openNameOf(ports[i]) : QString();
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
