#include "chart.h"

#include "numbers.h"

namespace zcore {
namespace {
constexpr double kTop = 1850;
constexpr double kLefts[] = {5250, 6750, 8250, 9750};
constexpr double kRights[] = {6550, 8050, 9550, 11050};
constexpr double kBottoms[] = {3200, 3220, 3220, 3220}; // bar 1 stands 20 twips higher
constexpr unsigned kColours[] = {0x80FF80, 0xFFFF80, 0x8080FF, 0xC0C0C0};
} // namespace

std::array<ChartBox, 5> chartPass(const ChartInput &in)
{
    std::array<double, 4> drop{};
    // Each picked row overwrites all four drops: the first row wins over the
    // second and the second over the third.
    if (in.third) {
        for (size_t c = 0; c < 4; ++c) {
            double v = readLeadingNumber(in.inTimes[c]);
            if (v > 30)
                v = 30;
            if (v < 1)
                v = 1;
            drop[c] = 1350 - 45 * v;
        }
    }
    if (in.second) {
        for (size_t c = 0; c < 4; ++c) {
            double v = readLeadingNumber(in.outTimes[c]);
            if (v > 150)
                v = 150;
            if (v < 1)
                v = 1;
            drop[c] = 1350 - 9 * v;
        }
    }
    if (in.first) {
        for (size_t c = 0; c < 4; ++c) {
            double v = readLeadingNumber(in.bands[c]);
            if (v > 137)
                v = 137;
            drop[c] = (137 - v) * 10;
        }
    }
    std::array<ChartBox, 5> boxes;
    boxes[0] = {5200, 1850, 11100, 3250, 0xFFFFFF};
    for (size_t c = 0; c < 4; ++c) {
        // Coordinates go to the drawing as single precision.
        boxes[c + 1] = {kLefts[c], double(float(kTop + drop[c])), kRights[c], kBottoms[c],
                        kColours[c]};
    }
    return boxes;
}

} // namespace zcore
