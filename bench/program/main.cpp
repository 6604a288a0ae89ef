// Whole-program benchmark: starts the real `zendalite` (built beside this
// program) with its real timers, plays the unit itself on a pseudo-terminal of
// its own, and measures from outside what a technician would notice:
//
//   start-up   process start -> main window shown and port open (median, warm cache)
//   latency    a value the unit sends -> the same value on the window (p50/p95/max)
//   processor  receiving 10 frames/s (bytes handed over one by one, in 16 ms
//              chunks, or a frame at a time); idle with no unit (port closed;
//              port open but silent); with wakeups per second
//   command    processor over the ~200 ms of a band level send (two timed pauses)
//   memory     resident set at start and over an hour of frames (manual timers,
//              12000 poll cycles)
//
// The same start-up, idle processor and memory figures are taken of an empty
// 800 x 600 Qt Widgets window (zendalite-floorwindow), so each reads as a
// ratio to the toolkit's floor; the floor with an empty 100 Hz timer gives
// the price of one wakeup on this machine. Prints one Markdown table.
//
//   zendalite-programbench [--platform offscreen|xcb] [--quick] [--only LIST]
//       [--runs N] [--samples N] [--cpu-seconds S] [--hour-cycles N]
//       [--trace] [--tool PATH] [--wrap 'CMD ARGS']
//
// Under X run it as `xvfb-run -a zendalite-programbench --platform xcb`.
// Processor time comes from /proc/PID/stat (utime + stime of every thread,
// 10 ms ticks) and, finer, from the sum of /proc/PID/task/*/schedstat (ns).
// --tool measures another build (to compare a change), --wrap runs the tool
// under a profiler (bench/profile.sh), --trace prints what each accepted poll
// showed during the latency test. Progress goes to stderr; "window opens" and
// "window closes" mark each measuring window.
//
// One file per measurement (*measure.cpp); options.cpp reads the command
// line, session.cpp starts the programs, ptyunit.cpp plays the unit,
// procstats.cpp reads /proc and report.cpp writes the table.

#include "options.h"
#include "progress.h"
#include "report.h"

#include <QCoreApplication>

using namespace programbench;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const Options o = parseOptions(app.arguments());
    Report report;

    StartFigure toolStart, floorStart;
    if (o.wants("startup")) {
        note(
            QStringLiteral("start-up: %1 runs of each program (+1 to warm the cache)").arg(o.runs));
        toolStart = measureStart(o, true, report.problems());
        floorStart = measureStart(o, false, report.problems());
        report.addStartup(o, toolStart, floorStart);
    }
    if (o.wants("latency")) {
        note(QStringLiteral("latency: %1 changes of band 0 at 10 frames/s").arg(o.samples));
        report.addLatency(measureLatency(o, report.problems()));
    }
    if (o.wantsAnyCpu())
        report.addProcessor(measureProcessor(o, report.problems()));
    if (o.wants("command")) {
        note(QStringLiteral("command: %1 band level sends").arg(o.sends));
        report.addCommand(measureCommand(o, report.problems()));
    }
    if (o.wants("hour")) {
        note(QStringLiteral("hour: %1 poll cycles with manual timers").arg(o.hourCycles));
        report.addHour(measureHour(o, report.problems()), floorStart);
    }
    report.addStartupMemory(toolStart, floorStart);

    report.print(o.platform);
    return report.clean() ? 0 : 1;
}
