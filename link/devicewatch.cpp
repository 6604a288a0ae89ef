#include "devicewatch.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <termios.h>
#endif

DeviceWatch::DeviceWatch(QSerialPort &port, Reopen reopen, QObject *parent)
    : QObject(parent), m_port(port), m_reopen(std::move(reopen))
{
    connect(&m_port, &QSerialPort::errorOccurred, this, &DeviceWatch::onError);
    // Something read: the errors before it were passing ones.
    connect(&m_port, &QSerialPort::readyRead, this, [this] { m_burst.invalidate(); });
    m_retry.setInterval(kReopenIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &DeviceWatch::tryReopen);
}

void DeviceWatch::watch(const QString &device)
{
    m_device = device;
    m_watching = true;
    m_closePending = false;
    m_burst.invalidate();
}

void DeviceWatch::stop()
{
    m_watching = false;
    m_closePending = false;
    m_retry.stop();
}

void DeviceWatch::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
        error != QSerialPort::PermissionError && error != QSerialPort::UnknownError)
        return;
    // Closed, the port reports no loss: a failed reopen says so itself.
    if (m_closePending || !m_watching || !m_port.isOpen())
        return;
    QString why = lossConfirmed();
    if (why.isEmpty()) {
        if (!m_burst.isValid() || m_burst.hasExpired(kErrorBurstMs)) {
            m_burst.start();
            m_errorsInBurst = 0;
        }
        if (++m_errorsInBurst >= kErrorBurst)
            why = tr("the device reports \"%1\" without end").arg(m_port.errorString());
    }
    if (why.isEmpty()) {
        // Nothing was there to read: the device is well. Qt stops reading
        // the port after such an error; setting its buffer size again
        // starts it anew, so arrivals still wake the tool.
        m_port.clearError();
        m_port.setReadBufferSize(m_port.readBufferSize());
        return;
    }
    // The device went away (cable pulled). Qt keeps reporting the error on
    // every turn of the event loop while the device stays open, so it is
    // closed, but outside this signal.
    m_why = why;
    m_closePending = true;
    m_burst.invalidate();
    QMetaObject::invokeMethod(this, &DeviceWatch::closeLostDevice, Qt::QueuedConnection);
}

QString DeviceWatch::lossConfirmed() const
{
#ifdef Q_OS_WIN
    // A removed device's handle fails every call.
    const HANDLE handle = m_port.handle();
    DWORD errors = 0;
    COMSTAT status{};
    DCB state{};
    state.DCBlength = sizeof(state);
    if (!::ClearCommError(handle, &errors, &status) || !::GetCommState(handle, &state))
        return tr("the device does not answer (Windows error %1)").arg(::GetLastError());
#else
    // A device that went away leaves its node to the system, and its open
    // handle is hung up: asking for the line's settings fails.
    if (!QFileInfo::exists(m_device))
        return tr("the device is no longer there");
    termios line{};
    if (::tcgetattr(m_port.handle(), &line) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
#endif
    return {};
}

void DeviceWatch::closeLostDevice()
{
    if (!m_closePending)
        return; // the logic closed the port meanwhile
    m_closePending = false;
    if (m_port.isOpen())
        m_port.close();
    m_retry.start();
    emit lost(m_why);
}

void DeviceWatch::tryReopen()
{
    if (!m_watching || m_port.isOpen()) {
        m_retry.stop();
        return;
    }
    const QString device = m_reopen();
    if (device.isEmpty())
        return; // not back yet, or held by another program: quietly again later
    m_device = device;
    m_retry.stop();
    emit returned();
}
