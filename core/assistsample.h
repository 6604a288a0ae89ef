// Which frames tell how right a band's mixture level is. The petrol ECU's
// injection time (the unit's in times) is compared on gas against on
// petrol at the same engine speed; a frame counts only when that
// comparison is fair:
//
//   warm        the coolant at or above the switch-over temperature, and at
//               least kWarmCelsius: petrol ECUs enrich a cold engine until
//               about then, past most switch-over temperatures, and a
//               reference taken meanwhile would be too long
//   steady      the engine speed and the injection time of the last
//               kSteadyFrames frames (a second at the unit's ten frames a
//               second) each within kSteadySpread of one another: the
//               injection time follows the load, which settles after the
//               speed does; a gap of more than a second between frames
//               starts the count again
//   no fuel cut every channel's in time above 0
//   one fuel    on gas all four rows on gas; petrol is the petrol bit set
//               (no row burns gas then, whatever the row bits say) or no
//               row on gas
//
// The engine speed is the frame's own: the highest speed-list entry of its
// channels (as the graph and the recording take it).
#pragma once

#include "core/decode.h"

#include <QtGlobal>

#include <deque>
#include <optional>

namespace zcore {

enum class Fuel { Petrol, Gas };

struct AssistSample {
    int band = 0; // speed band 0..3
    Fuel fuel = Fuel::Petrol;
    double injectionMs = 0; // mean in time of the four channels
    double rpm = 0;
};

enum class SampleSkip { None, NoSpeed, Cold, NotSteady, FuelCut, RowsMixed };

struct AssistVerdict {
    SampleSkip skip = SampleSkip::None;
    std::optional<AssistSample> sample; // when skip is None
    std::optional<int> band;            // of the frame's speed, whatever the verdict
    std::optional<Fuel> fuel;           // petrol bit set or clear, whatever the verdict
};

// The frame's engine speed: the highest speed-list entry of its channels.
std::optional<double> frameSpeed(const LiveFrame &frame);

class SampleFilter {
public:
    static constexpr int kSteadyFrames = 10;
    static constexpr double kSteadySpread = 0.04; // (highest - lowest) / lowest
    static constexpr qint64 kLongestGapMs = 1000;
    static constexpr int kWarmCelsius = 60;

    // The verdict on one frame received at elapsedMs (of its own time line).
    AssistVerdict take(qint64 elapsedMs, const LiveFrame &frame);
    // Forgets the speeds seen (a new time line begins).
    void reset();

private:
    std::deque<double> m_speeds; // of the last frames, newest last
    std::deque<double> m_times;  // their mean injection times (0: a cut)
    std::optional<qint64> m_lastMs;
};

} // namespace zcore
