// Value axes of the graph window: ranges on round numbers that change only
// when the data leaves them, so the axes do not jitter with every sample;
// and the time axis: its positions are seconds since the session (or the
// recording) began, its labels the clock time of those moments.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

class QCategoryAxis;
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

// The step between the labelled ticks of a value axis `length` pixels long
// over a range `span` wide: leastStep, or the smallest round step above it
// that leaves at least leastGap pixels between two labels (a label with
// less room is cut to "..." by Qt Charts). Without room (length 0) the
// step is leastStep.
double tickStep(double span, double leastStep, double length, double leastGap);

// Whether the time axes can take [fromMs, toMs]: from kLeastTimeRangeMs to
// kMostTimeRangeMs wide and within kFarthestTimeMs of 0. Qt Charts makes a
// tick for every step of a range, and a range of nothing (or of everything)
// would have it make ticks without end.
bool timeRangeFits(qint64 fromMs, qint64 toMs);

// A labelled moment of the time axis: where it lies on the time line
// (ms since its start) and the clock time there, HH:MM:SS.
struct ClockTick {
    qint64 elapsedMs = 0;
    QString label;
    bool operator==(const ClockTick &) const = default;
};

// The clock's round moments (every 1, 2, 5, 10, 15 or 30 s, 1, 2, 5, 10, 15
// or 30 min, 1, 2, 3, 6 or 12 h: the finest that gives at most eight) in
// [fromMs, toMs] of a time line that began at the clock time `start`,
// labelled in start's own offset from UTC (the offset the technician's
// clock had when the session began). A start that is not valid counts as
// midnight: the labels then give the time since the line began. Labels are
// told once each: a range of a whole day keeps the first of two moments
// with the same label.
QList<ClockTick> clockTicks(const QDateTime &start, qint64 fromMs, qint64 toMs);

// The clock time of a moment of that time line: HH:MM:SS and the tenth.
QString clockText(const QDateTime &start, qint64 elapsedMs);

// Sets a time axis to [fromMs, toMs] in seconds, its labels the clock's
// round moments (clockTicks); a range that does not fit is refused (false)
// and the axis kept.
bool setTimeAxis(QCategoryAxis *axis, const QDateTime &start, qint64 fromMs, qint64 toMs);
