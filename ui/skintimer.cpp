#include "skintimer.h"

SkinTimer::SkinTimer(int intervalMs, bool enabled, bool manual, QObject *parent)
    : QObject(parent), m_interval(intervalMs), m_enabled(enabled), m_manual(manual)
{
    m_timer.setInterval(intervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SkinTimer::ticked);
    sync();
}

void SkinTimer::setEnabled(bool enabled)
{
    // Enabling an enabled timer leaves its running countdown alone.
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    sync();
}

bool SkinTimer::tickNow()
{
    if (!m_enabled)
        return false;
    emit ticked();
    return true;
}

void SkinTimer::sync()
{
    if (m_enabled && !m_manual)
        m_timer.start();
    else
        m_timer.stop();
}
