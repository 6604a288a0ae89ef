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
    m_times.clear();
    m_lastMs.reset();
}

AssistVerdict SampleFilter::take(qint64 elapsedMs, const LiveFrame &frame)
{
    AssistVerdict v;
    // With the petrol bit set no row burns gas, whatever the row bits say
    // (the fuel button leaves them as they were); with it clear and no row
    // on gas the engine burns petrol all the same.
    const int rows = frame.mask & kAllRows;
    const bool petrol = (frame.mask & kPetrolBit) || rows == 0;
    v.fuel = petrol ? Fuel::Petrol : Fuel::Gas;

    if (m_lastMs && (elapsedMs < *m_lastMs || elapsedMs - *m_lastMs > kLongestGapMs))
        reset();
    m_lastMs = elapsedMs;

    const std::optional<double> speed = frameSpeed(frame);
    if (!speed) {
        reset();
        m_lastMs = elapsedMs;
        v.skip = SampleSkip::NoSpeed;
        return v;
    }
    bool cut = false;
    double sum = 0;
    for (const int word : frame.inWord) {
        cut = cut || word <= 3;
        sum += timeMs(word);
    }
    const double injectionMs = cut ? 0.0 : sum / 4;
    m_speeds.push_back(*speed);
    m_times.push_back(injectionMs);
    while (m_speeds.size() > size_t(kSteadyFrames)) {
        m_speeds.pop_front();
        m_times.pop_front();
    }
    v.band = speedBandOf(*speed);

    // The order of the checks gives the reason a person can act on first.
    const int coolant = degreesFromByte(frame.temperatureByte);
    if (coolant < degreesFromByte(frame.switchOverByte) || coolant < kWarmCelsius) {
        v.skip = SampleSkip::Cold;
        return v;
    }
    if (!petrol && rows != kAllRows) {
        v.skip = SampleSkip::RowsMixed;
        return v;
    }
    if (cut) {
        v.skip = SampleSkip::FuelCut;
        return v;
    }
    const auto within = [](const std::deque<double> &values) {
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        return *low > 0 && *high - *low <= kSteadySpread * *low;
    };
    if (!v.band || m_speeds.size() < size_t(kSteadyFrames) || !within(m_speeds) ||
        !within(m_times)) {
        v.skip = SampleSkip::NotSteady;
        return v;
    }
    v.sample = AssistSample{*v.band, *v.fuel, injectionMs, *speed};
    return v;
}

} // namespace zcore
