#include "arrivalqueue.h"

#include <QSerialPort>

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
// The most bytes the driver is asked to gather before it wakes the tool.
constexpr qsizetype kMostWakeCount = 64;
} // namespace

ArrivalQueue::ArrivalQueue(QSerialPort &port, QObject *parent) : QObject(parent), m_port(port)
{
    m_port.setReadBufferSize(kReceiveBufferSize);
}

qint64 ArrivalQueue::readLength() const
{
    return m_readLength > 0 ? m_readLength : kReceiveBufferSize;
}

void ArrivalQueue::setReadLength(int length)
{
    m_readLength = length;
    // One read's worth waits in the port; the rest waits in the driver, so
    // a flooding line does not wake the tool for every byte it sends.
    if (!m_observer)
        m_port.setReadBufferSize(readLength());
}

void ArrivalQueue::setObserver(SerialLink::ArrivalObserver observer)
{
    const bool was = bool(m_observer);
    m_observer = std::move(observer);
    if (m_observer && !was) {
        // What waited already stays first in line, unseen: the watch starts now.
        if (m_port.isOpen())
            m_queue += m_port.readAll();
        m_port.setReadBufferSize(0);
        connect(&m_port, &QIODevice::readyRead, this, &ArrivalQueue::takeArrived);
        takeArrived();
        takeHeldByDriver();
    } else if (!m_observer && was) {
        disconnect(&m_port, &QIODevice::readyRead, this, &ArrivalQueue::takeArrived);
        // The port's buffer, then the bytes the driver held back, join the
        // queue behind what it holds; the port's buffer, bounded again,
        // takes what comes from now on.
        if (m_port.isOpen())
            m_queue += m_port.readAll();
        takeHeldByDriver();
        setWakeCount(0); // back to a wake-up for every delivery
        m_port.setReadBufferSize(readLength());
    }
}

QByteArray ArrivalQueue::take()
{
    const qint64 length = readLength();
    if (m_observer) {
        // Observed, the port's buffer and the driver's bytes join the queue
        // (and the observer sees them) before the read.
        takeArrived();
        takeHeldByDriver();
    }
    QByteArray chunk = m_queue.left(length);
    m_queue.remove(0, chunk.size());
    if (!m_observer && chunk.size() < length && m_port.isOpen())
        chunk += m_port.read(length - chunk.size());
    return chunk;
}

void ArrivalQueue::discard()
{
    if (m_port.isOpen()) {
        if (m_observer) {
            // Everything received until now is dropped, as the driver's
            // flush drops it, but the observer sees it first. The driver is
            // not flushed: a byte arriving between the last take and the
            // flush would be lost to the observer (a frame missing from a
            // recording).
            m_port.waitForReadyRead(0);
            takeArrived();
            takeHeldByDriver();
        } else {
            m_port.clear(QSerialPort::Input);
            m_port.readAll();
        }
    }
    m_queue.clear();
}

void ArrivalQueue::clear()
{
    m_queue.clear();
    m_wakeCount = 0; // opening a device sets the port's own
}

void ArrivalQueue::takeArrived()
{
    if (!m_port.isOpen())
        return;
    deliver(m_port.readAll());
}

void ArrivalQueue::takeHeldByDriver()
{
#ifdef Q_OS_UNIX
    if (!m_port.isOpen() || m_wakeCount <= 1)
        return;
    // Fewer bytes than the wake count: the port has not been told of them
    // and will not be until more come, so they are read here. As many or
    // more: the port has been or is being told, and reads them itself.
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

void ArrivalQueue::deliver(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (m_observer)
        setWakeCount(m_observer(bytes));
    const qsizetype room = std::max<qsizetype>(0, kQueueLimit - m_queue.size());
    m_queue.append(bytes.first(std::min(bytes.size(), room)));
}

void ArrivalQueue::setWakeCount(qsizetype count)
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
