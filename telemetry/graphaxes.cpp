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
