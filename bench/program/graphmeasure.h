// The graph window live: the tool receiving 10 frames/s in 16 ms chunks with
// the graph window open on its 2-minute span. After the span has filled
// (--graph-fill), a processor window with the graph open; then the latency
// from a frame's last byte on the line to that frame's sample in the graph
// (the graph's newest sample read with `state` every 10 ms and matched to the
// frame sent with the same injection words); then the graph is closed and
// the same tool measured again. The X server's processor time is taken over
// the same windows when there is one (under Xvfb).
#pragma once

#include "options.h"
#include "processormeasure.h"

#include <QStringList>

#include <cmath>
#include <vector>

namespace programbench {

struct GraphFigure {
    CpuFigure open;
    CpuFigure closed;
    double xOpenPercent = NAN; // the X server over the same windows
    double xClosedPercent = NAN;
    double fillSeconds = 0;     // of live data before the processor window
    qint64 samplesAtWindow = 0; // samples the graph held in it
    std::vector<double> latencyMs;
    int unmatched = 0;       // newest samples no frame sent could be found for
    quint64 framesSent = 0;  // while the latency was measured
    qint64 samplesAdded = 0; // the graph's samples over the same time
    double pollCostMs = NAN; // median round trip of a `state`
    bool ok = true;
};

GraphFigure measureGraph(const Options &o, QStringList *problems);

} // namespace programbench
