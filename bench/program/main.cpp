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
//   record     processor with a recording against without (scanner + recorder),
//              and every frame sent a row of the file
//   record-sync  what one sync of a recording (every 5 s) costs: time on the
//              clock and processor time, measured in this process
//   graph      processor with the graph window open on a full 2 min span, and a
//              frame's last byte -> its sample in the graph (p50/p95/max)
//   record-hour  36000 frames recorded in fast time with the graph open: none
//              lost, and the resident set with an hour of samples
//
// The same start-up, idle processor and memory figures are taken of an empty
// 800 x 600 Qt Widgets window (zendalite-floorwindow), so each reads as a
// ratio to the toolkit's floor; the floor with an empty 100 Hz timer gives
// the price of one wakeup on this machine. Prints one Markdown table.
//
//   zendalite-programbench [--platform offscreen|xcb] [--quick] [--only LIST]
//       [--runs N] [--samples N] [--cpu-seconds S] [--hour-cycles N]
//       [--record-rounds N] [--graph-fill S] [--record-hour-frames N]
//       [--sync-count N] [--sync-dir FOLDER]
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
    if (o.wants("record")) {
        note(QStringLiteral("record: %1 pairs of windows without and with a recording")
                 .arg(o.recordRounds));
        report.addRecord(measureRecordOverhead(o, report.problems()));
    }
    if (o.wants("record-sync")) {
        note(QStringLiteral("record-sync: %1 syncs of a recording").arg(o.syncCount));
        report.addSync(measureSync(o, report.problems()));
    }
    if (o.wants("graph")) {
        note(QStringLiteral("graph: processor and latency with the graph window open"));
        report.addGraph(measureGraph(o, report.problems()));
    }
    if (o.wants("record-hour")) {
        note(QStringLiteral("record-hour: %1 frames recorded with the graph open")
                 .arg(o.recordHourFrames));
        report.addRecordHour(measureRecordHour(o, report.problems()));
    }
    report.addStartupMemory(toolStart, floorStart);

    report.print(o.platform);
    return report.clean() ? 0 : 1;
}
