// The whole-program benchmark's command line.
#pragma once

#include <QString>
#include <QStringList>

namespace programbench {

struct Options {
    QString platform = QStringLiteral("offscreen");
    int runs = 10;                 // start-up runs (plus one to warm the cache)
    int samples = 60;              // latency samples
    double cpuSeconds = 30;        // each processor window
    int hourCycles = 12000;        // Timer2 ticks of the accelerated hour
    int sends = 5;                 // band level sends measured
    int recordRounds = 3;          // pairs of windows without and with a recording
    bool recordWhole = false;      // ... with each frame in one piece, not in 16 ms chunks
    double graphFillSeconds = 125; // live data before the graph's window (its 2 min span full)
    double graphLatencySeconds = 30;
    int recordHourFrames = 36000; // frames of the accelerated recorded hour
    double recordHourRate = 200;  // ... sent at this many frames a second
    int syncCount = 200;          // syncs of a recording timed
    QString syncDir;              // ... in this folder; empty for the system's temporary one
    QStringList only;             // empty: everything
    bool trace = false;           // latency: print what every accepted poll showed
    QString tool;                 // another zendalite build; empty for the one built here
    QStringList wrap;             // a command the tool runs under (a profiler)
    int timeoutScale = 1;         // replies may take this many times longer (under a profiler)

    bool wants(const char *part) const
    {
        return only.isEmpty() || only.contains(QLatin1String(part));
    }
    // Whether any single processor window (cpu-…) or all of them are asked for.
    bool wantsAnyCpu() const;
    bool underProfiler() const { return !wrap.isEmpty(); }
};

// Reads the command line. Prints the usage and ends the program on --help
// (status 0) and on a mistake (status 2).
Options parseOptions(const QStringList &arguments);

} // namespace programbench
