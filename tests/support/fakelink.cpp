#include "fakelink.h"

FakeLink::FakeLink() { m_clock.start(); }

QByteArray FakeLink::written() const
{
    QByteArray all;
    for (const Write &w : m_writes)
        all.append(w.bytes);
    return all;
}

bool FakeLink::setPortNumber(int number)
{
    if (m_open || number < 1) {
        m_error = QStringLiteral("refused %1").arg(number);
        return false;
    }
    m_number = number;
    return true;
}

bool FakeLink::setSettings(const QString &settings)
{
    m_settings = settings;
    return true;
}

bool FakeLink::open()
{
    if (m_refused.contains(m_number)) {
        m_error = QStringLiteral("port %1 busy").arg(m_number);
        return false;
    }
    m_open = true;
    ++m_opens;
    return true;
}

bool FakeLink::write(QByteArrayView bytes)
{
    if (!m_open || m_away)
        return false;
    if (m_writeCount++ == m_failAt)
        return false;
    m_writes.append({bytes.toByteArray(), double(m_clock.elapsed()) + m_virtualMs});
    return true;
}

QByteArray FakeLink::read()
{
    const QByteArray chunk = m_pending.left(m_readLength > 0 ? m_readLength : m_pending.size());
    m_pending.remove(0, chunk.size());
    return chunk;
}

void FakeLink::loseDevice()
{
    if (!m_open || m_away)
        return;
    m_away = true;
    m_pending.clear();
    if (m_deviceObserver)
        m_deviceObserver(DeviceEvent::Lost);
}

void FakeLink::returnDevice()
{
    if (!m_open || !m_away)
        return;
    m_away = false;
    if (m_deviceObserver)
        m_deviceObserver(DeviceEvent::Returned);
}
