#include "frameclock.h"

#include <algorithm>
#include <cmath>

namespace zsim {

FrameClock::FrameClock(double framesPerSecond, double timeScale, double lineBytesPerSecond)
    : m_rate(framesPerSecond), m_timeScale(timeScale), m_wallRate(framesPerSecond * timeScale),
      m_lineKeepsUp(m_wallRate * kFrameBytes <= lineBytesPerSecond)
{
}

std::optional<double> FrameClock::take(double nowMs)
{
    const qint64 due = slotAt(nowMs);
    if (due <= m_slotsTaken)
        return std::nullopt;
    qint64 slot = due;
    const qint64 next = m_slotsTaken + 1;
    if (due > next && m_lineKeepsUp && slotStartMs(next) >= nowMs - kCatchUpMs)
        slot = next;
    m_skipped = slot - m_slotsTaken > 1;
    const qint64 periods = slot - m_lastFrameSlot;
    m_slotsTaken = slot;
    m_lastFrameSlot = slot;
    return double(periods) / m_rate;
}

void FrameClock::skipTo(double nowMs) { m_slotsTaken = std::max(m_slotsTaken, slotAt(nowMs)); }

qint64 FrameClock::slotAt(double nowMs) const
{
    return qint64(std::floor(nowMs * m_wallRate / 1000.0)) + 1;
}

double FrameClock::slotStartMs(qint64 slot) const { return double(slot - 1) * 1000.0 / m_wallRate; }

} // namespace zsim
