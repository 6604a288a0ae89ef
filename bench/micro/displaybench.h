// The display micro-benchmarks, registered at run time: they share one
// window, which the host makes when the first of them runs.
#pragma once

#include <benchmark/benchmark.h>

namespace microbench {

class DisplayHost;

void registerDisplayBenchmarks(DisplayHost &host);

} // namespace microbench
