// Core micro-benchmarks of the tuning assistant: the cost of one frame
// collected (the filter, the settling count, the sample kept), and of the
// report the window and the state reply read (per band the medians and the
// comparison at the same speeds) with an hour of steady samples held.

#include "core/tuningsession.h"
#include "support/payloads.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace microbench {

namespace {

using namespace zcore;

// A warm engine at rpm with this injection time and fuel.
LiveFrame frameAt(double rpm, double injectionMs, bool gas)
{
    return payloads::engineFrame({.rpm = rpm,
                                  .injectionMs = injectionMs,
                                  .mask = gas ? (32 | 16 | 8 | 4) : 128,
                                  .coolantC = 88});
}

// Steady holds in every band in turn, a little wobble on speed and time.
std::vector<LiveFrame> drive(int frames, bool gas)
{
    std::vector<LiveFrame> all;
    const double holds[4] = {1200, 2000, 3200, 5000};
    for (int i = 0; i < frames; ++i) {
        const double rpm = holds[(i / 300) % 4] * (1 + 0.005 * std::sin(i * 0.3));
        all.push_back(frameAt(rpm, 3 + rpm / 1000 + 0.02 * std::cos(i * 0.7), gas));
    }
    return all;
}

void BM_AssistantFrame(benchmark::State &state)
{
    const std::vector<LiveFrame> frames = drive(36'000, true);
    TuningSession session;
    TuningSession::Feed feed;
    qint64 ms = 0;
    size_t i = 0;
    for (auto _ : state) {
        session.take(feed, ms += 100, frames[i]);
        if (++i == frames.size()) {
            i = 0;
            state.PauseTiming();
            session.reset();
            feed = {};
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_AssistantFrame);

// An hour on petrol and an hour on gas: 72 000 frames, most of them kept.
void BM_AssistantReport(benchmark::State &state)
{
    TuningSession session;
    TuningSession::Feed petrol, gas;
    qint64 ms = 0;
    for (const LiveFrame &f : drive(36'000, false))
        session.take(petrol, ms += 100, f);
    ms = 0;
    for (const LiveFrame &f : drive(36'000, true))
        session.take(gas, ms += 100, f);
    state.counters["samples"] = double(session.samples().size());
    for (auto _ : state)
        benchmark::DoNotOptimize(session.reports());
}
BENCHMARK(BM_AssistantReport)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace microbench
