// The unit's four engine-speed bands, each with a mixture level of its own:
// 0-1500, 1500-2500, 2500-4000 and 4000-8000 rpm.
#pragma once

#include <array>
#include <optional>

namespace zcore {

inline constexpr int kSpeedBandCount = 4;
// Lower limits of bands 0..3 and the upper limit of band 3.
inline constexpr std::array<int, kSpeedBandCount + 1> kSpeedBandLimitsRpm = {0, 1500, 2500, 4000,
                                                                             8000};

// The band of an engine speed: a limit belongs to the band above it; a
// speed at or above 8000 rpm or below 0 has none.
inline std::optional<int> speedBandOf(double rpm)
{
    if (!(rpm >= 0) || rpm >= kSpeedBandLimitsRpm[kSpeedBandCount])
        return std::nullopt;
    int band = 0;
    while (band + 1 < kSpeedBandCount && rpm >= kSpeedBandLimitsRpm[size_t(band) + 1])
        ++band;
    return band;
}

} // namespace zcore
