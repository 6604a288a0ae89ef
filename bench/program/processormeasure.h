// Processor: the program first reaches its state (frames accepted, port
// open and silent, or port closed with the "Com" dialog shown), settles for
// 5 s, then a window of --cpu-seconds is measured with no requests sent:
// utime + stime from /proc/PID/stat, the live threads' run time from
// schedstat, and the main thread's wakeups. The floor window is measured
// the same way, idle and with an empty 100 Hz timer.
#pragma once

#include "options.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cmath>

namespace programbench {

struct CpuFigure {
    double percent = NAN;      // from /proc/PID/stat
    double schedPercent = NAN; // from schedstat
    double seconds = 0;
    qint64 rssKb = -1;
    double wakeupsPerSecond = NAN; // voluntary context switches of the main thread
    QString check;                 // what the session verified
    bool ok = true;
};

// Every window --only asks for; the others are not ok.
struct CpuFigures {
    CpuFigure floor;
    CpuFigure perByte;
    CpuFigure chunks;
    CpuFigure whole;
    CpuFigure closed;
    CpuFigure silent;
    CpuFigure floorTimer;
};

CpuFigures measureProcessor(const Options &o, QStringList *problems);

class Session;
// One window of `seconds` over a program already running and settled, with
// the "window opens/closes" marks; `check` is left to the caller.
CpuFigure cpuWindow(Session &p, const QString &what, double seconds);

} // namespace programbench
