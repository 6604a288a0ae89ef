// Value axes of the graph window: ranges on round numbers that change only
// when the data leaves them, so the axes do not jitter with every sample;
// and the time axis, in seconds.
#pragma once

#include <QtGlobal>

class QValueAxis;

// The narrowest and widest time range the graph shows.
inline constexpr qint64 kLeastTimeRangeMs = 1000;
inline constexpr qint64 kMostTimeRangeMs = qint64(24) * 3'600'000;
// No moment shown lies further from 0 than this (about 30 years).
inline constexpr qint64 kFarthestTimeMs = qint64(1'000'000'000'000);

// The smallest round step (1, 2 or 5 times a power of ten) of at least value.
double roundStep(double value);

// Sets the axis to a range of whole round steps (about five) that holds low
// and high and spans at least leastSpan; a range that already holds them
// with no more than twice the room needed is kept.
void fitAxis(QValueAxis *axis, double low, double high, double leastSpan);

// Whether the time axes can take [fromMs, toMs]: from kLeastTimeRangeMs to
// kMostTimeRangeMs wide and within kFarthestTimeMs of 0. Qt Charts makes a
// tick for every step of a range, and a range of nothing (or of everything)
// would have it make ticks without end.
bool timeRangeFits(qint64 fromMs, qint64 toMs);

// Sets a time axis to [fromMs, toMs] in seconds, with about eight round
// ticks; a range that does not fit is refused (false) and the axis kept.
bool setTimeAxis(QValueAxis *axis, qint64 fromMs, qint64 toMs);
