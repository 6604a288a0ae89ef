// The graph's map (injection time over engine speed, a point per sample, by
// fuel) with an hour of samples: drawn whole, and drawn again a second later
// when ten samples have left the front and the cells they leave change.

#include "graphmapbench.h"

#include "displayhost.h"

#include "core/frame.h"
#include "telemetry/graphmapview.h"
#include "telemetry/graphsamples.h"

#include <QCoreApplication>

#include <cmath>
#include <span>
#include <vector>

namespace microbench {

namespace {

// An hour at 10 frames/s: the engine between idle and 4000 rpm, on petrol
// for the first quarter, then on gas, scattered as a real engine's are (a
// spread of 1.6 ms and 200 rpm).
std::vector<GraphSample> anHourOfSamples()
{
    std::vector<GraphSample> samples;
    samples.reserve(36'000);
    for (int i = 0; i < 36'000; ++i) {
        const double phase = std::sin(i / 150.0);
        const int in = 400 + int(600 * (phase + 1)) + int(qint64(i) * 7919 % 200);
        const int sum =
            int(15'120'000 / (900 + 1500 * (phase + 1) + double(qint64(i) * 104'729 % 200)));
        zcore::LiveFrame frame;
        frame.inWord.fill(in);
        frame.outWord.fill(sum - in);
        frame.temperatureByte = 150;
        frame.switchOverByte = 195;
        frame.mask = i < 9000 ? 128 : 60;
        samples.push_back(graphSample(i * 100, frame));
    }
    return samples;
}

void BM_GraphMap_Hour(benchmark::State &state, bool secondLater)
{
    const std::vector<GraphSample> samples = anHourOfSamples();
    GraphMapView map;
    map.resize(480, 560);
    map.show();
    map.setSamples(samples);
    QCoreApplication::processEvents(); // laid out for the axes the samples gave
    for (auto _ : state) {
        state.PauseTiming(); // from an empty map, or from the hour a second before
        map.setSamples(secondLater ? std::span(samples) : std::span<const GraphSample>());
        map.viewport()->repaint();
        state.ResumeTiming();
        map.setSamples(secondLater ? std::span(samples).subspan(10) : std::span(samples));
        map.viewport()->repaint();
    }
    state.counters["petrol_cells"] = double(map.fuelPoints(GraphMapView::Petrol).size());
    state.counters["gas_cells"] = double(map.fuelPoints(GraphMapView::Gas).size());
    if (map.fuelPoints(GraphMapView::Petrol).isEmpty() ||
        map.fuelPoints(GraphMapView::Gas).isEmpty())
        state.SkipWithError("a fuel is missing from the map");
}

} // namespace

void registerGraphMapBenchmarks(DisplayHost &host)
{
    benchmark::RegisterBenchmark("BM_GraphMap_Hour/drawn_whole", [&host](benchmark::State &s) {
        host.display(); // the application object
        BM_GraphMap_Hour(s, false);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_GraphMap_Hour/a_second_later", [&host](benchmark::State &s) {
        host.display();
        BM_GraphMap_Hour(s, true);
    })->Unit(benchmark::kMillisecond);
}

} // namespace microbench
