#include "core/assistsample.h"

#include "core/speedbands.h"

#include <algorithm>

namespace zcore {

namespace {

constexpr int kAllRows = 32 | 16 | 8 | 4;
constexpr int kPetrolBit = 128;

double timeMs(int word) { return (word - 3) / 126.0; }

} // namespace

std::optional<double> frameSpeed(const LiveFrame &frame)
{
    std::optional<double> speed;
    for (size_t c = 0; c < 4; ++c) {
        if (!speedEntry(frame.inWord[c], frame.outWord[c]))
            continue;
        const double entry = *channelSpeed(frame.inWord[c], frame.outWord[c]) * 2;
        if (!speed || entry > *speed)
            speed = entry;
    }
    return speed;
}

void SampleFilter::reset()
{
    m_speeds.clear();
    m_lastMs.reset();
}

AssistVerdict SampleFilter::take(qint64 elapsedMs, const LiveFrame &frame)
{
    AssistVerdict v;
    v.fuel = (frame.mask & kPetrolBit) ? Fuel::Petrol : Fuel::Gas;

    if (m_lastMs && (elapsedMs < *m_lastMs || elapsedMs - *m_lastMs > kLongestGapMs))
        m_speeds.clear();
    m_lastMs = elapsedMs;

    const std::optional<double> speed = frameSpeed(frame);
    if (!speed) {
        m_speeds.clear();
        v.skip = SampleSkip::NoSpeed;
        return v;
    }
    m_speeds.push_back(*speed);
    while (m_speeds.size() > size_t(kSteadyFrames))
        m_speeds.pop_front();
    v.band = speedBandOf(*speed);

    // The order of the checks gives the reason a person can act on first.
    if (degreesFromByte(frame.temperatureByte) < degreesFromByte(frame.switchOverByte)) {
        v.skip = SampleSkip::Cold;
        return v;
    }
    const int rows = frame.mask & kAllRows;
    if ((*v.fuel == Fuel::Gas && rows != kAllRows) || (*v.fuel == Fuel::Petrol && rows != 0)) {
        v.skip = SampleSkip::RowsMixed;
        return v;
    }
    double sum = 0;
    for (const int word : frame.inWord) {
        if (word <= 3) {
            v.skip = SampleSkip::FuelCut;
            return v;
        }
        sum += timeMs(word);
    }
    const auto [low, high] = std::minmax_element(m_speeds.begin(), m_speeds.end());
    if (!v.band || m_speeds.size() < size_t(kSteadyFrames) || *high - *low > kSteadySpread * *low) {
        v.skip = SampleSkip::NotSteady;
        return v;
    }
    v.sample = AssistSample{*v.band, *v.fuel, sum / 4, *speed};
    return v;
}

} // namespace zcore
