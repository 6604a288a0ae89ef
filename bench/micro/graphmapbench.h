// The graph map's micro-benchmarks, registered at run time: they need the
// application object the display host makes.
#pragma once

#include <benchmark/benchmark.h>

namespace microbench {

class DisplayHost;

void registerGraphMapBenchmarks(DisplayHost &host);

} // namespace microbench
