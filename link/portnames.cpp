#include "portnames.h"

#include "portlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

namespace {
const char *const kFamilies[] = {"ttyS", "ttyUSB", "ttyACM"};
// A family is counted from 0 up to its first missing number; this bounds the count.
constexpr int kFamilyLimit = 256;
} // namespace

PortNames::PortNames(QString configDir, QString devRoot)
    : m_configDir(std::move(configDir)), m_devRoot(std::move(devRoot))
{
}

QString PortNames::chosenDevice(int number) const
{
#ifdef Q_OS_WIN
    Q_UNUSED(number);
    return {};
#else
    const QString path = QDir(m_configDir).filePath(QStringLiteral("ports/com%1").arg(number));
    const QFileInfo info(path);
    if (info.isSymLink())
        return info.symLinkTarget();
    if (!info.isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = file.readLine(4096).trimmed();
    return QString::fromLocal8Bit(line);
#endif
}

QString PortNames::chosenEntry(int number) const
{
#ifdef Q_OS_WIN
    Q_UNUSED(number);
    return {};
#else
    const QString path = QDir(m_configDir).filePath(QStringLiteral("ports/com%1").arg(number));
    return QFileInfo(path).isSymLink() ? path : chosenDevice(number);
#endif
}

QString PortNames::byIdFolder() const { return m_devRoot + QStringLiteral("/serial/by-id"); }

QStringList PortNames::familyDevices() const
{
    QStringList devices;
    for (const char *family : kFamilies) {
        for (int i = 0; i < kFamilyLimit; ++i) {
            const QString device =
                QStringLiteral("%1/%2%3").arg(m_devRoot, QLatin1String(family)).arg(i);
            if (!QFileInfo::exists(device))
                break;
            devices.append(device);
        }
    }
    return devices;
}

QString PortNames::deviceFor(int number) const
{
#ifdef Q_OS_WIN
    return number >= 1 ? portlist::comName(number) : QString();
#else
    if (number < 1)
        return {};
    const QString own = chosenDevice(number);
    if (!own.isEmpty())
        return own;
    const QStringList devices = familyDevices();
    return number <= devices.size() ? devices[number - 1] : QString();
#endif
}

QList<PortName> PortNames::describe() const
{
    QMap<int, PortName> names;
#ifdef Q_OS_WIN
    // The ports Windows lists, by their COM numbers (COM10 and above too).
    for (const PortName &name : portlist::numbered(portlist::systemPorts()))
        names.insert(name.number, name);
#else
    const QStringList devices = familyDevices();
    for (int i = 0; i < devices.size(); ++i)
        names.insert(i + 1, {i + 1, devices[i], {}});
    const QDir ports(QDir(m_configDir).filePath(QStringLiteral("ports")));
    const QStringList entries = ports.entryList({QStringLiteral("com*")},
                                                QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool ok = false;
        const int n = entry.mid(3).toInt(&ok);
        if (!ok || n < 1)
            continue;
        const QString device = chosenDevice(n);
        if (!device.isEmpty())
            names.insert(n, {n, device, {}});
    }
#endif
    return names.values();
}
