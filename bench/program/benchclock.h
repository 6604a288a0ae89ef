// Time in the whole-program benchmark: one steady clock read in
// nanoseconds, and sleeping for or until a moment of it.
#pragma once

#include <QtGlobal>

#include <chrono>
#include <thread>

namespace programbench {

using Clock = std::chrono::steady_clock;

inline qint64 toNs(Clock::time_point at)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}
inline qint64 nowNs() { return toNs(Clock::now()); }
inline double msBetween(qint64 a, qint64 b) { return double(b - a) / 1e6; }

inline void sleepMs(double ms)
{
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}
inline void sleepUntilNs(qint64 ns)
{
    std::this_thread::sleep_until(Clock::time_point(std::chrono::nanoseconds(ns)));
}

} // namespace programbench
