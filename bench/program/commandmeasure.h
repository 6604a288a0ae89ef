// A command's pauses: the band level send (A4, 105 ms, code, 105 ms, value)
// is a timed wait, so the tool's processor time over the Enter that sends
// it is set against the same tool doing nothing for 200 ms. The port is open
// and silent, with real timers; the unit checks the bytes and their gaps.
#pragma once

#include "options.h"

#include <QStringList>

#include <vector>

namespace programbench {

struct CommandFigure {
    std::vector<double> cpuMs;     // schedstat, over the Enter that sends
    std::vector<double> wallMs;    // the request's round trip
    std::vector<double> idleCpuMs; // schedstat, over an idle `wait` of 200 ms
    std::vector<double> gapsMs;    // between the command's bytes at the unit
    int framesOk = 0;
    bool ok = true;
};

CommandFigure measureCommand(const Options &o, QStringList *problems);

} // namespace programbench
