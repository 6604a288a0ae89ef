#include "graphaxes.h"

#include <QValueAxis>

#include <cmath>

double roundStep(double value)
{
    if (!(value > 0))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= value * (1 - 1e-9))
            return m * power;
    return 10 * power;
}

void fitAxis(QValueAxis *axis, double low, double high, double leastSpan)
{
    if (!std::isfinite(low) || !std::isfinite(high) || low > high)
        low = high = 0;
    if (high - low < leastSpan)
        high = low + leastSpan;
    const double held = axis->max() - axis->min();
    if (axis->min() <= low && axis->max() >= high && held <= 2 * (high - low))
        return;
    const double step = roundStep((high - low) / 5);
    const double from = std::floor(low / step) * step;
    const double to = std::max(from + step, std::ceil(high / step) * step);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setRange(from, to);
}

bool timeRangeFits(qint64 fromMs, qint64 toMs)
{
    const auto near = [](qint64 ms) { return ms >= -kFarthestTimeMs && ms <= kFarthestTimeMs; };
    // Both near 0 first, so that the difference cannot overflow.
    return near(fromMs) && near(toMs) && toMs - fromMs >= kLeastTimeRangeMs &&
           toMs - fromMs <= kMostTimeRangeMs;
}

bool setTimeAxis(QValueAxis *axis, qint64 fromMs, qint64 toMs)
{
    if (!timeRangeFits(fromMs, toMs))
        return false;
    // Never a narrow step over a wide range, not even between the two calls.
    const double step = roundStep((toMs - fromMs) / 1000.0 / 8);
    const bool narrower = (toMs - fromMs) / 1000.0 < axis->max() - axis->min();
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    if (narrower)
        axis->setRange(fromMs / 1000.0, toMs / 1000.0);
    axis->setTickInterval(step);
    if (!narrower)
        axis->setRange(fromMs / 1000.0, toMs / 1000.0);
    return true;
}
