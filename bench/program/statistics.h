// Percentiles of a set of samples, interpolated between ranks.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace programbench {

inline double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const double rank = p / 100.0 * double(v.size() - 1);
    const size_t lo = size_t(std::floor(rank));
    const size_t hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (v[hi] - v[lo]) * (rank - double(lo));
}
inline double median(const std::vector<double> &v) { return percentile(v, 50); }

} // namespace programbench
