// The band bar chart: four bars over the picked row of the band table, drawn
// as filled boxes in twips of the client area (fractions kept).
#pragma once

#include <QString>

#include <array>

namespace zcore {

struct ChartBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    unsigned rgb = 0; // 0xRRGGBB

    bool operator==(const ChartBox &) const = default;
};

// Which markers are visible and the captions of the table's three rows, each
// in column order (first row: bands; second: out times; third: in times).
struct ChartInput {
    bool third = false;  // selc1
    bool second = false; // selc2
    bool first = false;  // selc3
    std::array<QString, 4> inTimes;
    std::array<QString, 4> outTimes;
    std::array<QString, 4> bands;
};

// One drawing pass: the background box, then bars 1 to 4.
std::array<ChartBox, 5> chartPass(const ChartInput &input);

} // namespace zcore
