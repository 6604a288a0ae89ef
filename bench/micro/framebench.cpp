// Core micro-benchmarks of a poll's read: finding and accepting the frame in
// a 50-character read, and decoding its payload.

#include "benchinputs.h"

#include "core/decode.h"
#include "core/frame.h"

#include <benchmark/benchmark.h>

namespace microbench {

namespace {

using namespace zcore;

void BM_FramePayload(benchmark::State &state, int headerAt, bool accepted)
{
    const auto &in = headerAt < 0 ? readsWithoutHeader() : reads(headerAt);
    size_t i = 0;
    for (auto _ : state) {
        auto p = framePayload(in[i++ % in.size()]);
        if (p.has_value() != accepted)
            state.SkipWithError("unexpected acceptance");
        benchmark::DoNotOptimize(p);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_FramePayload, header_first_accepted, 0, true);
BENCHMARK_CAPTURE(BM_FramePayload, header_at_13_accepted, 13, true);
BENCHMARK_CAPTURE(BM_FramePayload, header_at_14_too_short, 14, false);
BENCHMARK_CAPTURE(BM_FramePayload, no_header, -1, false);

void BM_DecodePayload(benchmark::State &state)
{
    const auto &in = payloads();
    size_t i = 0;
    for (auto _ : state) {
        LiveFrame f = decodePayload(in[i++ % in.size()]);
        benchmark::DoNotOptimize(f);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodePayload);

} // namespace

} // namespace microbench
