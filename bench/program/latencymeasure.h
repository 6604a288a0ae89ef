// Display latency: the unit changes band 0's level at the start of a frame,
// at a random phase against the tool's poll, and the window is read every
// 5 ms until ca1 shows the new level. Each sample runs from the first byte
// of the first frame that carries the new level to the reply that shows it.
#pragma once

#include "options.h"

#include <QStringList>
#include <QtGlobal>

#include <vector>

namespace programbench {

struct LatencyFigure {
    std::vector<double> fromFirstByteMs;
    int missed = 0;
    double pollEveryMs = 5;
    double pollCostMs = 0; // median round trip of a state request
    quint64 dropped = 0;
    bool ok = true;
};

LatencyFigure measureLatency(const Options &o, QStringList *problems);

} // namespace programbench
