#include "serialportlink.h"

#include "arrivalqueue.h"
#include "linesettings.h"
#include "portlist.h"

#include <QDeadlineTimer>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <termios.h>
#elif defined(Q_OS_WIN)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace {
constexpr int kWriteTimeoutMs = 1000;
constexpr qint64 kUsbSearchIntervalMs = 1000;
} // namespace

SerialPortLink::SerialPortLink(PortNames names, QObject *parent)
    : QObject(parent), m_names(std::move(names)), m_arrivals(new ArrivalQueue(m_port, this))
{
    m_watch = new DeviceWatch(
        m_port, [this] { return reopenDevice(); }, this);
    connect(m_watch, &DeviceWatch::lost, this, &SerialPortLink::deviceWentAway);
    connect(m_watch, &DeviceWatch::returned, this, &SerialPortLink::deviceCameBack);
}

bool SerialPortLink::setPortNumber(int number)
{
    if (m_open) {
        m_error = tr("the port is open");
        return false;
    }
    if (number < 1) {
        m_error = tr("port %1 does not exist").arg(number);
        return false;
    }
    m_number = number;
    m_error.clear();
    return true;
}

void SerialPortLink::setReadLength(int length) { m_arrivals->setReadLength(length); }

void SerialPortLink::setArrivalObserver(ArrivalObserver observer)
{
    m_arrivals->setObserver(std::move(observer));
}

void SerialPortLink::setDeviceObserver(DeviceObserver observer)
{
    m_deviceObserver = std::move(observer);
}

bool SerialPortLink::setSettings(const QString &settings)
{
    if (!LineSettings::parse(settings)) {
        m_error = tr("bad line settings \"%1\"").arg(settings);
        return false;
    }
    m_settings = settings;
    m_error.clear();
    return true;
}

bool SerialPortLink::applySettings()
{
    const auto s = LineSettings::parse(m_settings);
    if (!s)
        return false;
    const auto parity = s->parity == 'E'   ? QSerialPort::EvenParity
                        : s->parity == 'O' ? QSerialPort::OddParity
                        : s->parity == 'M' ? QSerialPort::MarkParity
                        : s->parity == 'S' ? QSerialPort::SpaceParity
                                           : QSerialPort::NoParity;
    const auto stop = s->stopBits == 2     ? QSerialPort::TwoStop
                      : s->stopBits == 1.5 ? QSerialPort::OneAndHalfStop
                                           : QSerialPort::OneStop;
    // Modem-line and some attribute calls fail on pseudo-terminals; only the
    // speed matters to the unit, so the others are set without being checked.
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(s->dataBits));
    m_port.setParity(parity);
    m_port.setStopBits(stop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    return m_port.setBaudRate(s->baud);
}

bool SerialPortLink::open()
{
    if (m_open)
        return true;
    const QString device = m_names.deviceFor(m_number);
    if (device.isEmpty()) {
        m_error = tr("COM%1 is not present on this computer").arg(m_number);
        return false;
    }
    if (!openDevice(device))
        return false;
    // After a loss this device, and no other, is opened again.
    m_identity = DeviceIdentity::of(m_names, m_number, device);
    m_open = true;
    m_watch->watch(m_device);
    return true;
}

bool SerialPortLink::openDevice(const QString &device)
{
    // A device reached through links (ports/comN, /dev/serial/by-id/...) is
    // opened under its real name, so that lock files see one device under
    // all of its names; a Windows port name is a device, no file: COMN.
    m_device = portlist::openName(device);
    m_port.setPortName(m_device);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_error =
            tr("COM%1 (%2) cannot be opened: %3").arg(m_number).arg(m_device, m_port.errorString());
#ifdef Q_OS_UNIX
        // Serial devices belong to the dialout group on Debian and Ubuntu.
        const QFileInfo info(m_device);
        if (m_port.error() == QSerialPort::PermissionError && info.exists() &&
            !(info.isReadable() && info.isWritable()))
            m_error += tr(". Add your user to the group %1 (sudo usermod -aG %1 $USER), then log "
                          "out and in again.")
                           .arg(info.group().isEmpty() ? QStringLiteral("dialout") : info.group());
#endif
        m_port.clearError();
        return false;
    }
    applySettings();
    m_port.clearError();
    m_error.clear();
    return true;
}

void SerialPortLink::close()
{
    m_open = false;
    m_watch->stop();
    m_arrivals->clear();
    if (m_port.isOpen())
        m_port.close();
}

bool SerialPortLink::write(QByteArrayView bytes)
{
    if (!m_port.isOpen())
        return false;
    if (m_port.write(bytes.data(), bytes.size()) != bytes.size())
        return false;
    // Out of the tool's buffer, then out of the driver's: on the line.
    // flush() writes without waiting for readable data; waitForBytesWritten()
    // alone gives up when bytes arrive while the receive buffer is full.
    QDeadlineTimer deadline(kWriteTimeoutMs);
    m_port.flush();
    while (m_port.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !m_port.isOpen())
            return false;
        m_port.waitForBytesWritten(10);
        m_port.flush();
    }
#ifdef Q_OS_UNIX
    ::tcdrain(m_port.handle());
#elif defined(Q_OS_WIN)
    // A finished write has handed the bytes to the driver; this waits until
    // the driver has sent them.
    ::FlushFileBuffers(m_port.handle());
#endif
    return true;
}

QByteArray SerialPortLink::read() { return m_arrivals->take(); }

void SerialPortLink::discardInput() { m_arrivals->discard(); }

void SerialPortLink::deviceWentAway(const QString &why)
{
    m_lossReason = tr("COM%1 (%2) was lost: %3").arg(m_number).arg(m_device, why);
    m_error = m_lossReason;
    m_usbSearch.invalidate();
    m_arrivals->clear();
    emit deviceLost();
    if (m_deviceObserver)
        m_deviceObserver(DeviceEvent::Lost);
}

void SerialPortLink::deviceCameBack()
{
    emit deviceReturned();
    if (m_deviceObserver)
        m_deviceObserver(DeviceEvent::Returned);
}

QString SerialPortLink::reopenDevice()
{
    // Reading the system's port list takes about 15 ms: an adapter known
    // by its USB numbers is looked for once a second, not at every try.
    if (m_identity.searchesPortList()) {
        if (m_usbSearch.isValid() && !m_usbSearch.hasExpired(kUsbSearchIntervalMs))
            return {};
        m_usbSearch.start();
    }
    const QString device = m_identity.find(m_names);
    if (device.isEmpty()) {
        m_error = m_lossReason + otherDeviceNote();
        return {};
    }
    if (!openDevice(device)) {
        // The reason the technician sees stays the loss.
        m_error = m_lossReason;
        return {};
    }
    // The device known from now on is this one: its node and the links
    // that led to it now, so that after its next loss the path it leaves
    // behind is not taken for it once another line is given that path.
    m_identity = DeviceIdentity::of(m_names, m_number, device);
    return m_device;
}

QString SerialPortLink::otherDeviceNote() const
{
    if (m_identity.kind() == DeviceIdentity::Kind::ChosenName)
        return {};
    const QString other = m_names.deviceFor(m_number);
    if (other.isEmpty())
        return {};
    // On Windows port N is COMN whether a device is there or not: the name
    // alone tells of no other device.
    if (portlist::comNumber(other) > 0 && portlist::openName(other) == m_device)
        return {};
    return tr(". COM%1 now leads to %2, which is not %3: it is left alone")
        .arg(m_number)
        .arg(other, m_identity.describe());
}
