#include "skintimer.h"

SkinTimer::SkinTimer(int intervalMs, bool enabled, bool manual, QObject *parent)
    : QObject(parent), m_interval(intervalMs), m_enabled(enabled), m_manual(manual)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SkinTimer::fire);
    if (m_enabled)
        m_since.start();
    sync();
}

void SkinTimer::setEnabled(bool enabled)
{
    // Enabling an enabled timer leaves its running countdown alone.
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (m_enabled)
        m_since.start();
    sync();
}

void SkinTimer::setParked(bool parked)
{
    if (parked == m_parked)
        return;
    m_parked = parked;
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
    if (m_enabled && !m_manual && !m_parked)
        armNext();
    else
        m_timer.stop();
}

void SkinTimer::armNext()
{
    // The next point of the grid, counted from the origin: a tick that ran
    // late, or a pause that held up the program, does not move the later ticks,
    // and ticks missed meanwhile are not caught up in a burst.
    const qint64 interval = qMax(1, m_interval);
    m_timer.start(int(interval - m_since.elapsed() % interval));
}

void SkinTimer::fire()
{
    emit ticked();
    // A handler may have disabled or parked the timer.
    if (m_enabled && !m_manual && !m_parked && !m_timer.isActive())
        armNext();
}
