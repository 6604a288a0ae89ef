#include "serialportlink.h"

#include "linesettings.h"

#include <QDeadlineTimer>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {
// Before a read length is set, what waits in the port between polls is
// bounded all the same (the driver's own buffer takes over).
constexpr qint64 kReceiveBufferSize = 4096;
constexpr int kWriteTimeoutMs = 1000;
// The most bytes the driver is asked to gather before it wakes the tool.
constexpr qsizetype kMostWakeCount = 64;
} // namespace

SerialPortLink::SerialPortLink(PortNames names, QObject *parent)
    : QObject(parent), m_names(std::move(names))
{
    m_port.setReadBufferSize(kReceiveBufferSize);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPortLink::onError);
    m_reopen.setInterval(kReopenIntervalMs);
    connect(&m_reopen, &QTimer::timeout, this, &SerialPortLink::tryReopen);
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

void SerialPortLink::setReadLength(int length)
{
    m_readLength = length;
    // One read's worth waits in the port; the rest waits in the driver, so
    // a flooding line does not wake the tool for every byte it sends.
    if (!m_observer)
        m_port.setReadBufferSize(length > 0 ? length : kReceiveBufferSize);
}

void SerialPortLink::setArrivalObserver(ArrivalObserver observer)
{
    const bool was = bool(m_observer);
    m_observer = std::move(observer);
    if (m_observer && !was) {
        // What waited already stays first in line.
        m_queue = m_held + (m_port.isOpen() ? m_port.readAll() : QByteArray());
        m_held.clear();
        m_port.setReadBufferSize(0);
        connect(&m_port, &QIODevice::readyRead, this, &SerialPortLink::takeArrived);
        takeArrived();
        takeHeldByDriver();
    } else if (!m_observer && was) {
        disconnect(&m_port, &QIODevice::readyRead, this, &SerialPortLink::takeArrived);
        takeHeldByDriver();
        setWakeCount(0); // back to a wake-up for every delivery
        // The queue's bytes are the oldest; they are read before what the
        // port's buffer, bounded again, takes from now on.
        m_held = m_queue + (m_port.isOpen() ? m_port.readAll() : QByteArray());
        m_queue.clear();
        m_port.setReadBufferSize(m_readLength > 0 ? m_readLength : kReceiveBufferSize);
    }
}

void SerialPortLink::takeArrived()
{
    if (!m_port.isOpen())
        return;
    deliver(m_port.readAll());
}

void SerialPortLink::takeHeldByDriver()
{
#ifdef Q_OS_UNIX
    if (!m_port.isOpen() || m_wakeCount <= 1)
        return;
    // Fewer bytes than the wake-up count: the port has not been told of
    // them and will not be until more come, so they are read here. As many
    // or more: the port has been or is being told, and reads them itself.
    const int fd = m_port.handle();
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0 || waiting <= 0 || waiting >= m_wakeCount)
        return;
    QByteArray bytes(waiting, Qt::Uninitialized);
    const ssize_t n = ::read(fd, bytes.data(), size_t(bytes.size()));
    if (n <= 0)
        return; // a lost device is reported through the port
    bytes.truncate(n);
    deliver(bytes);
#endif
}

void SerialPortLink::deliver(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (m_observer)
        setWakeCount(m_observer(bytes));
    m_queue.append(bytes.first(std::min(bytes.size(), kQueueLimit - m_queue.size())));
}

void SerialPortLink::setWakeCount(qsizetype count)
{
#ifdef Q_OS_LINUX
    // The driver's MIN: with no inter-byte timer, the line is reported
    // readable only once this many bytes wait (0: the port's own setting,
    // every byte). A read still returns whatever waits.
    count = std::clamp<qsizetype>(count, 0, kMostWakeCount);
    if (count == 1)
        count = 0;
    if (count == m_wakeCount || !m_port.isOpen())
        return;
    termios line{};
    if (::tcgetattr(m_port.handle(), &line) != 0)
        return;
    line.c_cc[VMIN] = cc_t(count);
    line.c_cc[VTIME] = 0;
    if (::tcsetattr(m_port.handle(), TCSANOW, &line) == 0)
        m_wakeCount = int(count);
#else
    Q_UNUSED(count);
#endif
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
    if (!openDevice())
        return false;
    m_open = true;
    return true;
}

bool SerialPortLink::openDevice()
{
    const QString device = m_names.deviceFor(m_number);
    if (device.isEmpty()) {
        m_error = tr("COM%1 is not present on this computer").arg(m_number);
        return false;
    }
    // A device reached through links (ports/comN, /dev/serial/by-id/...) is
    // opened under its real name, so that lock files see one device under
    // all of its names.
    const QString real = QFileInfo(device).canonicalFilePath();
    m_device = real.isEmpty() ? device : real;
    m_port.setPortName(m_device);
    m_closePending = false;
    m_wakeCount = 0; // opening sets the port's own
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
    m_queue.clear();
    m_held.clear();
    m_reopen.stop();
    m_closePending = false;
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
#endif
    return true;
}

QByteArray SerialPortLink::read()
{
    const qint64 length = m_readLength > 0 ? m_readLength : kReceiveBufferSize;
    if (!m_held.isEmpty()) {
        // Left over from an observed time: older than what the port holds.
        QByteArray chunk = m_held.left(length);
        m_held.remove(0, chunk.size());
        if (chunk.size() < length && m_port.isOpen())
            chunk += m_port.read(length - chunk.size());
        return chunk;
    }
    if (!m_port.isOpen())
        return {};
    if (!m_observer)
        return m_port.read(length);
    takeArrived();
    takeHeldByDriver();
    const QByteArray chunk = m_queue.left(length);
    m_queue.remove(0, chunk.size());
    return chunk;
}

void SerialPortLink::discardInput()
{
    m_held.clear();
    if (!m_port.isOpen())
        return;
    if (m_observer) {
        // Everything received until now is dropped, as the driver's flush
        // drops it, but the observer sees it first. The driver is not
        // flushed: a byte arriving between the last take and the flush
        // would be lost to the observer (a frame missing from a recording).
        m_port.waitForReadyRead(0);
        takeArrived();
        takeHeldByDriver();
        m_queue.clear();
        return;
    }
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
}

void SerialPortLink::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    // The device went away (cable pulled). Qt keeps reporting the error on
    // every turn of the event loop while the device stays open, so close the
    // device, but outside this signal. The port stays open for the logic:
    // polling reads nothing and reports the link lost as usual.
    m_error = tr("COM%1 (%2) was lost: %3").arg(m_number).arg(m_device, m_port.errorString());
    if (m_closePending)
        return;
    m_closePending = true;
    QMetaObject::invokeMethod(this, &SerialPortLink::closeLostDevice, Qt::QueuedConnection);
}

void SerialPortLink::closeLostDevice()
{
    if (!m_closePending)
        return; // the logic closed the port meanwhile
    m_closePending = false;
    if (m_port.isOpen())
        m_port.close();
    if (m_open) {
        m_reopen.start();
        emit deviceLost();
    }
}

void SerialPortLink::tryReopen()
{
    if (!m_open || m_port.isOpen()) {
        m_reopen.stop();
        return;
    }
    const QString lost = m_error;
    if (!openDevice()) {
        // Not back yet, or held by another program: quietly again later. The
        // reason the technician sees stays the loss.
        m_error = lost;
        return;
    }
    m_reopen.stop();
    emit deviceReturned();
}
