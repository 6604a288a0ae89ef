#include "procseries.h"

#include <algorithm>

namespace soak {

double ProcSeries::mean(qint64 ProcSample::*field, double from, double to, int *count) const
{
    const double start = m_samples.first().atMs;
    const double span = m_samples.last().atMs - start;
    double sum = 0;
    *count = 0;
    for (const ProcSample &s : m_samples) {
        const double at = (s.atMs - start) / span;
        const bool inside = at >= from && (at < to || (to >= 1.0 && at <= 1.0));
        if (inside && !s.dropOut && s.*field >= 0) {
            sum += double(s.*field);
            ++*count;
        }
    }
    return *count > 0 ? sum / *count : 0.0;
}

Flatness ProcSeries::judge(qint64 ProcSample::*field, double bound) const
{
    Flatness f;
    QList<qint64> values;
    for (const ProcSample &s : m_samples)
        if (s.*field >= 0)
            values.append(s.*field);
    if (values.isEmpty())
        return f;
    f.first = values.first();
    f.last = values.last();
    f.least = *std::min_element(values.begin(), values.end());
    f.most = *std::max_element(values.begin(), values.end());
    if (m_samples.size() < 8)
        return f;
    int second = 0, last = 0;
    f.secondQuarterMean = mean(field, 0.25, 0.5, &second);
    f.lastQuarterMean = mean(field, 0.75, 1.0, &last);
    f.bound = bound;
    f.judged = second > 0 && last > 0;
    f.flat = !f.judged || f.rise() <= bound;
    return f;
}

Flatness ProcSeries::rss() const
{
    if (m_samples.size() < 8)
        return judge(&ProcSample::rssKb, 0);
    int n = 0;
    const double graphRise = mean(&ProcSample::graphSamples, 0.75, 1.0, &n) -
                             mean(&ProcSample::graphSamples, 0.25, 0.5, &n);
    return judge(&ProcSample::rssKb, kRssBaseKb + kRssPerGraphSampleKb * std::max(0.0, graphRise));
}

Flatness ProcSeries::descriptors() const { return judge(&ProcSample::descriptors, kCountBound); }

Flatness ProcSeries::threads() const { return judge(&ProcSample::threads, kCountBound); }

} // namespace soak
