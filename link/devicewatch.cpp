#include "devicewatch.h"

DeviceWatch::DeviceWatch(QSerialPort &port, Reopen reopen, QObject *parent)
    : QObject(parent), m_port(port), m_reopen(std::move(reopen))
{
    connect(&m_port, &QSerialPort::errorOccurred, this, &DeviceWatch::onError);
    m_retry.setInterval(kReopenIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &DeviceWatch::tryReopen);
}

void DeviceWatch::watch()
{
    m_watching = true;
    m_closePending = false;
}

void DeviceWatch::stop()
{
    m_watching = false;
    m_closePending = false;
    m_retry.stop();
}

void DeviceWatch::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (m_closePending || !m_watching)
        return;
    // The device went away (cable pulled). Qt keeps reporting the error on
    // every turn of the event loop while the device stays open, so it is
    // closed, but outside this signal.
    m_why = m_port.errorString();
    m_closePending = true;
    QMetaObject::invokeMethod(this, &DeviceWatch::closeLostDevice, Qt::QueuedConnection);
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
    if (!m_reopen())
        return; // not back yet, or held by another program: quietly again later
    m_retry.stop();
    emit returned();
}
