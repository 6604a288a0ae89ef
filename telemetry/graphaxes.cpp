#include "graphaxes.h"

#include <QCategoryAxis>
#include <QTime>
#include <QValueAxis>

#include <array>
#include <cmath>

namespace {

constexpr qint64 kSecondMs = 1000;
constexpr qint64 kMinuteMs = 60 * kSecondMs;
constexpr qint64 kHourMs = 60 * kMinuteMs;
constexpr qint64 kDayMs = 24 * kHourMs;
constexpr std::array<qint64, 17> kClockSteps = {
    kSecondMs, 2 * kSecondMs, 5 * kSecondMs, 10 * kSecondMs, 15 * kSecondMs, 30 * kSecondMs,
    kMinuteMs, 2 * kMinuteMs, 5 * kMinuteMs, 10 * kMinuteMs, 15 * kMinuteMs, 30 * kMinuteMs,
    kHourMs,   2 * kHourMs,   3 * kHourMs,   6 * kHourMs,    12 * kHourMs};
constexpr qint64 kMostTicks = 8;

// The clock time at elapsed 0 as ms since midnight of the epoch's first day
// in start's own offset, so that round clock moments are round numbers.
qint64 clockOrigin(const QDateTime &start)
{
    if (!start.isValid())
        return 0;
    return start.toMSecsSinceEpoch() + qint64(start.offsetFromUtc()) * kSecondMs;
}

qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

QTime timeOfDay(qint64 clockMs)
{
    return QTime::fromMSecsSinceStartOfDay(int(clockMs - floorDiv(clockMs, kDayMs) * kDayMs));
}

} // namespace

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

double tickStep(double span, double leastStep, double length, double leastGap)
{
    if (!(length > 0) || !(span > 0) || !(leastStep > 0))
        return leastStep;
    const double step = span * leastGap / length;
    return step <= leastStep ? leastStep : roundStep(step);
}

bool timeRangeFits(qint64 fromMs, qint64 toMs)
{
    const auto near = [](qint64 ms) { return ms >= -kFarthestTimeMs && ms <= kFarthestTimeMs; };
    // Both near 0 first, so that the difference cannot overflow.
    return near(fromMs) && near(toMs) && toMs - fromMs >= kLeastTimeRangeMs &&
           toMs - fromMs <= kMostTimeRangeMs;
}

QList<ClockTick> clockTicks(const QDateTime &start, qint64 fromMs, qint64 toMs)
{
    QList<ClockTick> ticks;
    if (!timeRangeFits(fromMs, toMs))
        return ticks;
    qint64 step = kClockSteps.back();
    for (const qint64 s : kClockSteps) {
        if ((toMs - fromMs) / s < kMostTicks) {
            step = s;
            break;
        }
    }
    const qint64 origin = clockOrigin(start);
    QStringList labels;
    for (qint64 clock = -floorDiv(-(origin + fromMs), step) * step; clock <= origin + toMs;
         clock += step) {
        const QString label = timeOfDay(clock).toString(QStringLiteral("HH:mm:ss"));
        if (labels.contains(label))
            continue;
        labels.append(label);
        ticks.append({clock - origin, label});
    }
    return ticks;
}

QString clockText(const QDateTime &start, qint64 elapsedMs)
{
    const QTime time = timeOfDay(clockOrigin(start) + elapsedMs);
    return time.toString(QStringLiteral("HH:mm:ss.")) + QString::number(time.msec() / 100);
}

bool setTimeAxis(QCategoryAxis *axis, const QDateTime &start, qint64 fromMs, qint64 toMs)
{
    if (!timeRangeFits(fromMs, toMs))
        return false;
    const QList<ClockTick> ticks = clockTicks(start, fromMs, toMs);
    const auto same = [&] {
        const QStringList labels = axis->categoriesLabels();
        if (axis->min() != fromMs / 1000.0 || axis->max() != toMs / 1000.0 ||
            labels.size() != ticks.size())
            return false;
        for (qsizetype i = 0; i < ticks.size(); ++i)
            if (labels.at(i) != ticks.at(i).label ||
                axis->endValue(labels.at(i)) != ticks.at(i).elapsedMs / 1000.0)
                return false;
        return true;
    };
    if (same())
        return true;
    // Labels at their moments, on the lines the axis draws there.
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (const QString &label : axis->categoriesLabels())
        axis->remove(label);
    axis->setRange(fromMs / 1000.0, toMs / 1000.0);
    axis->setStartValue(fromMs / 1000.0);
    for (const ClockTick &tick : ticks)
        axis->append(tick.label, tick.elapsedMs / 1000.0);
    return true;
}
