#include "replayframesource.h"

#include "core/frame.h"

#include <limits>

namespace zsim {

ReplayFrameSource::ReplayFrameSource(const zcore::Recording &recording, double speed, bool loop)
    : m_loop(loop)
{
    qint64 first = -1;
    qint64 last = -1;
    for (const zcore::RecordRow &row : recording.rows) {
        if (row.event != zcore::RecordEvent::Frame)
            continue;
        if (first < 0)
            first = row.elapsedMs;
        last = row.elapsedMs;
        m_frames.append(zcore::telemetryFrame(row.payload));
        m_offsetsMs.append(double(row.elapsedMs - first) / speed);
    }
    const double spanMs = double(last - first);
    const double spacingMs = m_frames.size() > 1 && spanMs > 0
                                 ? spanMs / double(m_frames.size() - 1)
                                 : kLoneFrameSpacingMs;
    m_passMs = (spanMs + spacingMs) / speed;
}

std::optional<double> ReplayFrameSource::nextDueMs() const
{
    if (m_next >= m_frames.size())
        return std::numeric_limits<double>::infinity();
    return double(m_pass) * m_passMs + m_offsetsMs[m_next];
}

QByteArray ReplayFrameSource::nextFrame(double)
{
    if (m_next >= m_frames.size())
        return {};
    const QByteArray frame = m_frames[m_next];
    if (++m_next == m_frames.size() && m_loop) {
        m_next = 0;
        ++m_pass;
    }
    return frame;
}

bool ReplayFrameSource::apply(int, int) { return false; }

} // namespace zsim
