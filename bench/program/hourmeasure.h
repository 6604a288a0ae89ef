// Memory over an hour of the window's life in fast time: manual timers, and
// for each poll the 300 ms of frames the unit would have sent (three
// frames, 111 bytes), then one Timer2 tick; every 3 s also 6 Timer1,
// 6 Timer3, 3 Timer4 and 30 SensorX ticks. The resident set is sampled
// every 5 simulated minutes, with a check that the debug line shows the
// frame just fed.
#pragma once

#include "options.h"

#include <QStringList>
#include <QtGlobal>

#include <vector>

namespace programbench {

struct HourFigure {
    struct Sample {
        double minute;
        qint64 rssKb;
    };
    std::vector<Sample> samples;
    qint64 startRssKb = -1;
    qint64 hwmKb = -1;
    int cycles = 0;
    int checks = 0;
    int checksOk = 0;
    double wallSeconds = 0;
    double cpuMsPerCycle = 0;
    bool ok = true;
};

HourFigure measureHour(const Options &o, QStringList *problems);

} // namespace programbench
