#include "wirepacer.h"

#include <algorithm>
#include <cmath>

namespace zsim {

WirePacer::WirePacer(double bytesPerSecond, double leadMs)
    : m_msPerByte(1000.0 / bytesPerSecond), m_leadMs(leadMs)
{
}

qsizetype WirePacer::allowance(double nowMs) const
{
    // Every byte the line would start putting out by nowMs + lead.
    const double start = std::max(m_lineFreeAtMs, nowMs);
    const double room = nowMs + m_leadMs - start;
    return room < 0.0 ? 0 : qsizetype(std::floor(room / m_msPerByte)) + 1;
}

void WirePacer::sent(qsizetype count, double nowMs)
{
    m_lineFreeAtMs = std::max(m_lineFreeAtMs, nowMs) + double(count) * m_msPerByte;
}

} // namespace zsim
