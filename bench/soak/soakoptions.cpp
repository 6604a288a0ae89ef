#include "soakoptions.h"

#include <QCommandLineParser>
#include <QDateTime>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace soak {

namespace {

[[noreturn]] void usageError(const QCommandLineParser &parser, const QString &why)
{
    std::fprintf(stderr, "zendalite-soak: %s\n\n%s", qPrintable(why),
                 qPrintable(parser.helpText()));
    std::exit(2);
}

double positive(const QCommandLineParser &parser, const QString &name, double fallback)
{
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const double value = parser.value(name).toDouble(&ok);
    if (!ok || !(value > 0))
        usageError(parser, QStringLiteral("--%1 wants a positive number, not \"%2\"")
                               .arg(name, parser.value(name)));
    return value;
}

} // namespace

SoakOptions parseSoakOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs the real zendalite (real timers, recording, graph window open) against\n"
        "zendalite-sim --counter for a number of minutes, with a fault or a band level\n"
        "typed every 10-30 s, drawn from a seed; checks that the tool answers, that every\n"
        "drop-out resumes, that the recording misses no frame but those the faults cut,\n"
        "that every band level reached the unit, and that memory, descriptors and threads\n"
        "stay flat. Prints a table; exit status 1 when a check fails (logs kept), 2 for a\n"
        "mistake on the command line."));
    const QCommandLineOption help = parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("minutes"),
         QStringLiteral("How long the faults go on (default 20; a fraction for a short run)."),
         QStringLiteral("M")},
        {QStringLiteral("seed"),
         QStringLiteral("Seed of the plan and of the unit (default: from the clock, printed)."),
         QStringLiteral("N")},
        {QStringLiteral("every"),
         QStringLiteral("Seconds between two steps, drawn between the bounds (default 10-30)."),
         QStringLiteral("MIN-MAX")},
        {QStringLiteral("only"),
         QStringLiteral("The steps to draw from: unplug, garbage, truncate, late, gap, zeros, "
                        "quiet, band (default all)."),
         QStringLiteral("LIST")},
        {QStringLiteral("sample-every"),
         QStringLiteral("Seconds between /proc samples of the tool (default 5)."),
         QStringLiteral("S")},
        {QStringLiteral("platform"), QStringLiteral("The Qt platform the tool uses."),
         QStringLiteral("offscreen|xcb"), QStringLiteral("offscreen")},
        {QStringLiteral("out"),
         QStringLiteral("Where the logs go (default: a new folder in the temporary folder). "
                        "Kept when a check fails."),
         QStringLiteral("DIR")},
        {QStringLiteral("keep"), QStringLiteral("Keep the logs of a run that passed too.")},
        {QStringLiteral("tool"), QStringLiteral("Soak another zendalite build."),
         QStringLiteral("path")},
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

    SoakOptions o;
    o.arguments = arguments.mid(1);
    o.minutes = positive(parser, QStringLiteral("minutes"), o.minutes);
    o.sampleSeconds = positive(parser, QStringLiteral("sample-every"), o.sampleSeconds);
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        o.seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
        if (!ok)
            usageError(parser, QStringLiteral("--seed wants a whole number from 0 to 4294967295"));
    } else {
        o.seed = quint32(QDateTime::currentMSecsSinceEpoch()) ^ (quint32(::getpid()) << 16);
    }
    if (parser.isSet(QStringLiteral("every"))) {
        const QString every = parser.value(QStringLiteral("every"));
        bool ok1 = false, ok2 = false;
        o.leastWaitSeconds = every.section(QLatin1Char('-'), 0, 0).toDouble(&ok1);
        o.mostWaitSeconds = every.section(QLatin1Char('-'), 1).toDouble(&ok2);
        if (!every.contains(QLatin1Char('-')))
            o.mostWaitSeconds = o.leastWaitSeconds, ok2 = ok1;
        if (!ok1 || !ok2 || o.leastWaitSeconds < 1 || o.mostWaitSeconds < o.leastWaitSeconds)
            usageError(
                parser,
                QStringLiteral("--every wants seconds MIN-MAX, at least 1, not \"%1\"").arg(every));
    }
    for (const QString &name :
         parser.value(QStringLiteral("only")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        PlannedStep::Kind kind;
        if (!PlannedStep::kindNamed(name.trimmed(), &kind))
            usageError(parser, QStringLiteral("--only: no step named \"%1\"").arg(name));
        o.kinds.append(kind);
    }
    o.platform = parser.value(QStringLiteral("platform"));
    if (o.platform == QLatin1String("xcb") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "zendalite-soak: --platform xcb needs an X display (run under "
                             "xvfb-run -a)\n");
        std::exit(2);
    }
    o.outDir = parser.value(QStringLiteral("out"));
    o.keep = parser.isSet(QStringLiteral("keep"));
    o.tool = parser.value(QStringLiteral("tool"));
    return o;
}

} // namespace soak
