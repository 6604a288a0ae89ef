// Frames from a recording (core/recording.h), sent as they were recorded:
// the first one at once, each next one its elapsed_ms difference later,
// divided by the speed. After the last one nothing more is sent; with loop
// the first comes again one average frame spacing after the last, and so
// on. Commands are not acted on.
#pragma once

#include "framesource.h"

#include "core/recording.h"

#include <QList>

namespace zsim {

class ReplayFrameSource : public FrameSource {
public:
    static constexpr double kLeastSpeed = 0.1;
    static constexpr double kMostSpeed = 100.0;
    // Between the last frame and the first again, when the recording's
    // frames give no spacing (one frame, or all in the same millisecond).
    static constexpr double kLoneFrameSpacingMs = 100.0;

    // The frame rows of the recording; speed from kLeastSpeed to kMostSpeed.
    ReplayFrameSource(const zcore::Recording &recording, double speed, bool loop);

    std::optional<double> nextDueMs() const override;
    QByteArray nextFrame(double periodSeconds) override;
    bool apply(int code, int value) override;

    qsizetype frameCount() const { return m_frames.size(); }
    // How long one pass over the recording takes at this speed, up to the
    // first frame of the next pass.
    double passMs() const { return m_passMs; }

private:
    QList<QByteArray> m_frames; // header and payload
    QList<double> m_offsetsMs;  // after the first frame, at this speed
    double m_passMs = 0.0;
    bool m_loop = false;
    qsizetype m_next = 0;
    qint64 m_pass = 0;
};

} // namespace zsim
