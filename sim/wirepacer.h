// How many bytes the serial line may carry: 9600 baud 8N1 moves 960 bytes a
// second. The pacer lets a byte go once the line would start putting it out
// within `leadMs`, so up to any moment no more has gone than the line could
// have carried by then plus the lead (and one byte), and an idle line saves
// up no credit for a burst later. A lead of two 10 ms ticks keeps the line
// busy when a tick comes late.
#pragma once

#include <QtGlobal>

namespace zsim {

class WirePacer {
public:
    static constexpr double kLineBytesPerSecond = 960.0;

    explicit WirePacer(double bytesPerSecond = kLineBytesPerSecond, double leadMs = 20.0);

    // Bytes that may be handed to the line at nowMs.
    qsizetype allowance(double nowMs) const;

    // count bytes were handed to the line at nowMs.
    void sent(qsizetype count, double nowMs);

    // When the line finishes the bytes handed to it so far.
    double lineFreeAtMs() const { return m_lineFreeAtMs; }

private:
    double m_msPerByte = 1000.0 / kLineBytesPerSecond;
    double m_leadMs = 20.0;
    double m_lineFreeAtMs = 0.0;
};

} // namespace zsim
