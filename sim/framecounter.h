// Numbers the frames the unit puts on the line (zendalite-sim --counter), so
// that a recording can prove that no frame went missing. Frame k (from 1) of
// the run carries k's low 16 bits at payload positions 32-33, little end
// first, and payload position 34 becomes the sum of positions 1-33 (low eight
// bits), as the engine's own frames carry it. The number is given when the
// frame is begun, before any fault shapes it: a frame that a fault then
// cuts, truncates or fills with zeros still takes its number, so the frames
// the faults cut are exactly the gaps in the numbers.
//
// Pure: the number moves only by stamp().
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace zsim {

class FrameCounter {
public:
    // Payload positions (from 1) of the number and of the sum.
    static constexpr int kNumberPosition = 32;
    static constexpr int kSumPosition = 34;

    // The frame with the next number. A chunk that is no whole telemetry
    // frame (the header A4 C0 00 and at least 34 payload bytes) has nowhere
    // to hold it: it is counted all the same and left as it is.
    QByteArray stamp(QByteArray frame);

    // The number of the last frame stamped; 0 before the first.
    quint32 count() const { return m_count; }

private:
    quint32 m_count = 0;
};

} // namespace zsim
