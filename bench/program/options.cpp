#include "options.h"

#include <QCommandLineParser>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

namespace programbench {

namespace {

[[noreturn]] void usageError(const QCommandLineParser &parser, const QString &why)
{
    std::fprintf(stderr, "zendalite-programbench: %s\n\n%s", qPrintable(why),
                 qPrintable(parser.helpText()));
    std::exit(2);
}

template <typename Number>
Number positive(const QCommandLineParser &parser, const QString &name, Number fallback)
{
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const QString text = parser.value(name);
    Number value = 0;
    if constexpr (std::is_integral_v<Number>)
        value = text.toInt(&ok);
    else
        value = text.toDouble(&ok);
    if (!ok || !(value > 0))
        usageError(parser,
                   QStringLiteral("--%1 wants a positive number, not \"%2\"").arg(name, text));
    return value;
}

} // namespace

bool Options::wantsAnyCpu() const
{
    return wants("cpu") || std::any_of(only.begin(), only.end(), [](const QString &part) {
               return part.startsWith(QLatin1String("cpu-"));
           });
}

Options parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Starts the real zendalite with its real timers, plays the unit on a pseudo-terminal\n"
        "of its own and measures from outside: start-up, display latency, processor,\n"
        "a command's pauses and memory over an hour. Prints one Markdown table."));
    const QCommandLineOption help = parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("platform"), QStringLiteral("The Qt platform the programs use."),
         QStringLiteral("offscreen|xcb"), QStringLiteral("offscreen")},
        {QStringLiteral("quick"),
         QStringLiteral("Shorter windows and fewer samples (5 runs, 20 samples, 8 s windows, "
                        "1200 poll cycles, 3 sends, 1 recording round, 20 s of graph data, "
                        "10 s of graph latency, 3600 recorded frames, 50 syncs); other options "
                        "still apply.")},
        {QStringLiteral("only"),
         QStringLiteral("The parts to run: startup, latency, cpu, command, hour, record, "
                        "record-sync, graph, record-hour; single processor windows: cpu-floor, "
                        "cpu-bytes, "
                        "cpu-chunks, cpu-whole, cpu-closed, cpu-silent, cpu-floor-timer."),
         QStringLiteral("list")},
        {QStringLiteral("runs"), QStringLiteral("Start-up runs (default 10)."),
         QStringLiteral("N")},
        {QStringLiteral("samples"), QStringLiteral("Latency samples (default 60)."),
         QStringLiteral("N")},
        {QStringLiteral("cpu-seconds"), QStringLiteral("Each processor window (default 30)."),
         QStringLiteral("S")},
        {QStringLiteral("hour-cycles"),
         QStringLiteral("Poll cycles of the accelerated hour (default 12000)."),
         QStringLiteral("N")},
        {QStringLiteral("record-rounds"),
         QStringLiteral("Pairs of processor windows without and with a recording (default 3)."),
         QStringLiteral("N")},
        {QStringLiteral("record-whole"),
         QStringLiteral("The recording's windows with each frame in one piece, not in 16 ms "
                        "chunks.")},
        {QStringLiteral("graph-fill"),
         QStringLiteral("Seconds of live data before the graph's processor window (default "
                        "125: its 2 min span full)."),
         QStringLiteral("S")},
        {QStringLiteral("record-hour-frames"),
         QStringLiteral("Frames of the accelerated recorded hour (default 36000)."),
         QStringLiteral("N")},
        {QStringLiteral("sync-count"), QStringLiteral("Syncs of a recording timed (default 200)."),
         QStringLiteral("N")},
        {QStringLiteral("sync-dir"),
         QStringLiteral("Where the synced recording is written (default: the system's "
                        "temporary folder; choose one on the disk recordings go to)."),
         QStringLiteral("folder")},
        {QStringLiteral("trace"),
         QStringLiteral("Print what every accepted poll showed during the latency test.")},
        {QStringLiteral("tool"),
         QStringLiteral("Measure another zendalite build, to compare a change."),
         QStringLiteral("path")},
        {QStringLiteral("wrap"), QStringLiteral("Run the tool under a profiler."),
         QStringLiteral("'CMD ARGS'")},
    });
    if (!parser.parse(arguments))
        usageError(parser, parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        std::exit(0);
    }
    if (!parser.positionalArguments().isEmpty())
        usageError(parser, QStringLiteral("unexpected argument \"%1\"")
                               .arg(parser.positionalArguments().constFirst()));

    Options o;
    o.platform = parser.value(QStringLiteral("platform"));
    if (o.platform == QLatin1String("xcb") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr,
                     "programbench: --platform xcb needs an X display (run under xvfb-run -a)\n");
        std::exit(2);
    }
    if (parser.isSet(QStringLiteral("quick"))) {
        o.runs = 5;
        o.samples = 20;
        o.cpuSeconds = 8;
        o.hourCycles = 1200;
        o.sends = 3;
        o.recordRounds = 1;
        o.graphFillSeconds = 20;
        o.graphLatencySeconds = 10;
        o.recordHourFrames = 3600;
        o.syncCount = 50;
    }
    o.runs = positive(parser, QStringLiteral("runs"), o.runs);
    o.samples = positive(parser, QStringLiteral("samples"), o.samples);
    o.cpuSeconds = positive(parser, QStringLiteral("cpu-seconds"), o.cpuSeconds);
    o.hourCycles = positive(parser, QStringLiteral("hour-cycles"), o.hourCycles);
    o.recordRounds = positive(parser, QStringLiteral("record-rounds"), o.recordRounds);
    o.graphFillSeconds = positive(parser, QStringLiteral("graph-fill"), o.graphFillSeconds);
    o.recordHourFrames = positive(parser, QStringLiteral("record-hour-frames"), o.recordHourFrames);
    o.recordWhole = parser.isSet(QStringLiteral("record-whole"));
    o.syncCount = positive(parser, QStringLiteral("sync-count"), o.syncCount);
    o.syncDir = parser.value(QStringLiteral("sync-dir"));
    o.trace = parser.isSet(QStringLiteral("trace"));
    o.tool = parser.value(QStringLiteral("tool"));
    o.only = parser.value(QStringLiteral("only")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parser.isSet(QStringLiteral("wrap"))) {
        o.wrap = QProcess::splitCommand(parser.value(QStringLiteral("wrap")));
        o.timeoutScale = 20;
    }
    return o;
}

} // namespace programbench
