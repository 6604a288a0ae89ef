// Micro-benchmarks (Google Benchmark).
//
// Core (Qt Core only, no window; framebench.cpp, formatbench.cpp): what the
// poll cycle does with one 50-character read - find and accept the frame,
// decode the payload - and the texts the display makes of one frame, each
// step on its own and as one total ("decode + format one frame"). Target:
// one frame in under 5 us. scannerbench.cpp: the streaming frame scanner
// that the recorder and the graph take every frame from, per frame.
//
// Display (displaybench.cpp: a real MainWindow on the offscreen platform,
// through AppShell on an in-memory link, manual timers): one Timer2 tick
// with a frame waiting, with and without the repaint that follows, the
// painting of single labels, and one frame of the window's GIF animation.
// These say where a poll cycle's time goes once the core work is done.
// graphmapbench.cpp: the graph's map of an hour of samples, drawn whole and
// a second later.
//
//   zendalite-microbench [--benchmark_filter=REGEX] [--benchmark_min_time=0.2]

#include "displaybench.h"
#include "displayhost.h"
#include "graphmapbench.h"

#include <benchmark/benchmark.h>

int main(int argc, char *argv[])
{
    microbench::DisplayHost host;
    microbench::registerDisplayBenchmarks(host);
    microbench::registerGraphMapBenchmarks(host);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
