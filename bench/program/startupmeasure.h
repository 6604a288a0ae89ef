// Start-up: the time from process start until the first reply that shows
// the window shown (and, for the tool, the port open), as the median of
// several runs after one that warms the cache; requests go out as soon as
// the process runs. The resident memory at that moment comes along.
#pragma once

#include "options.h"

#include <QStringList>

#include <vector>

namespace programbench {

struct StartFigure {
    std::vector<double> ms;
    std::vector<double> rssKb;
    bool ok = true;
};

// The tool's start-up, or the floor window's when `tool` is false.
StartFigure measureStart(const Options &o, bool tool, QStringList *problems);

} // namespace programbench
