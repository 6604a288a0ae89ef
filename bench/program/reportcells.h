// The cells of the report's table: memory, ratios, verdicts, processor
// figures, the extremes of a set of samples.
#pragma once

#include "processormeasure.h"
#include "progress.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <vector>

namespace programbench {

inline QString mb(double kb) { return fmt(kb / 1024.0, 1) + QStringLiteral(" MB"); }

inline QString ratio(double a, double b)
{
    if (!(b > 0) || std::isnan(a))
        return QStringLiteral("–");
    return fmt(a / b, 1) + QStringLiteral("×");
}

inline QString verdict(bool ok)
{
    return ok ? QStringLiteral("**met**") : QStringLiteral("**NOT met**");
}

inline QString pct(const CpuFigure &c)
{
    return QStringLiteral("%1 % (sched %2 %; %3 wakeups/s)")
        .arg(fmt(c.percent, 2), fmt(c.schedPercent, 3), fmt(c.wakeupsPerSecond, 0));
}

inline double least(const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); }
inline double most(const std::vector<double> &v) { return *std::max_element(v.begin(), v.end()); }

} // namespace programbench
