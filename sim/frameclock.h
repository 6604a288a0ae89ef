// When the unit builds its next frame: one every 1/rate seconds of engine
// time, the engine's clock running timeScale times as fast as the wall
// clock, so rate × timeScale frames a wall second. Pure arithmetic on the
// milliseconds since sending began; the transmitter asks at each tick.
//
// A frame whose time comes while the line is still busy with the one before
// is not built: the engine runs on, and the next frame covers the periods
// missed (the rate does not fit the line). When the rate fits the line and
// only the tick came late (by less than kCatchUpMs), the frames of the
// periods passed are built one after the other, each covering its own
// period, so that a fast clock loses none to a coarse or late timer.
#pragma once

#include <QtGlobal>

#include <optional>

namespace zsim {

class FrameClock {
public:
    static constexpr double kCatchUpMs = 50.0;
    // Bytes of one engine frame on the line: header and payload.
    static constexpr int kFrameBytes = 37;

    // framesPerSecond in engine time; lineBytesPerSecond at the wall
    // clock's pace (the line is as many times as fast as the engine's clock).
    FrameClock(double framesPerSecond, double timeScale, double lineBytesPerSecond);

    // At nowMs: the engine seconds the frame to build now covers, or nothing
    // when no frame is due yet.
    std::optional<double> take(double nowMs);

    // The frame taken last covers more than one period: the line had no
    // room for the frames of the periods between.
    bool lastSkipped() const { return m_skipped; }

    // The periods up to nowMs are lost (the cable was out, a quiet spell):
    // no frame is built for them, but the engine runs through them.
    void skipTo(double nowMs);

    double framesPerWallSecond() const { return m_wallRate; }
    double timeScale() const { return m_timeScale; }
    // Whether frames of kFrameBytes at this rate fit through the line.
    bool lineKeepsUp() const { return m_lineKeepsUp; }

private:
    qint64 slotAt(double nowMs) const;
    double slotStartMs(qint64 slot) const;

    double m_rate = 10.0;
    double m_timeScale = 1.0;
    double m_wallRate = 10.0;
    bool m_lineKeepsUp = true;
    bool m_skipped = false;
    qint64 m_slotsTaken = 0;    // frame periods used up or skipped so far
    qint64 m_lastFrameSlot = 0; // the period of the last frame built
};

} // namespace zsim
