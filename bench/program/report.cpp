#include "report.h"

#include "procstats.h"
#include "progress.h"
#include "reportcells.h"
#include "statistics.h"

#include <QTextStream>

#include <algorithm>
#include <thread>

namespace programbench {

void Report::row(const QString &figure, const QString &target, const QString &tool,
                 const QString &floor, const QString &ratio, const QString &verdict)
{
    m_rows.append(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 |")
                      .arg(figure, target, tool, floor, ratio, verdict));
}

void Report::addStartup(const Options &o, const StartFigure &tool, const StartFigure &floor)
{
    if (!tool.ok || !floor.ok)
        return;
    const double t = median(tool.ms), f = median(floor.ms);
    row(QStringLiteral("start to window shown and port open, warm cache (median of %1)")
            .arg(o.runs),
        QStringLiteral("< 300 ms"),
        QStringLiteral("%1 ms (%2–%3)").arg(fmt(t), fmt(least(tool.ms)), fmt(most(tool.ms))),
        QStringLiteral("%1 ms").arg(fmt(f)), ratio(t, f), verdict(t < 300));
}

void Report::addLatency(const LatencyFigure &lat)
{
    if (!lat.ok || lat.fromFirstByteMs.empty())
        return;
    const double mx = most(lat.fromFirstByteMs);
    row(QStringLiteral("display latency, first byte of the frame → value on the window (n = %1%2)")
            .arg(lat.fromFirstByteMs.size())
            .arg(lat.missed ? QStringLiteral(", %1 missed").arg(lat.missed) : QString()),
        QStringLiteral("≤ 340 ms worst case"),
        QStringLiteral("p50 %1 / p95 %2 / max %3 ms")
            .arg(fmt(median(lat.fromFirstByteMs), 0), fmt(percentile(lat.fromFirstByteMs, 95), 0),
                 fmt(mx, 0)),
        QStringLiteral("–"), QStringLiteral("–"), verdict(mx <= 340 && lat.missed == 0));
    m_notes.append(QStringLiteral("latency: the window was read every %1 ms with `state` (median "
                                  "round trip %2 ms), so each figure is late by at most about %3 "
                                  "ms; min %4 ms; bytes the line dropped: %5")
                       .arg(fmt(lat.pollEveryMs, 0), fmt(lat.pollCostMs, 2),
                            fmt(lat.pollEveryMs + lat.pollCostMs, 0),
                            fmt(least(lat.fromFirstByteMs), 0))
                       .arg(lat.dropped));
}

void Report::addProcessor(const CpuFigures &cpu)
{
    const CpuFigure &floor = cpu.floor;
    const QString floorText = floor.ok ? pct(floor) : QStringLiteral("–");
    auto cpuRow = [&](const CpuFigure &c, const QString &figure, const QString &target,
                      double limit) {
        if (c.ok)
            row(QStringLiteral("%1 (%2 s)").arg(figure, fmt(c.seconds, 0)), target, pct(c),
                floorText, ratio(c.schedPercent, floor.schedPercent), verdict(c.percent < limit));
    };
    cpuRow(cpu.chunks,
           QStringLiteral(
               "processor while receiving 10 frames/s, bytes in 16 ms chunks (USB adapter)"),
           QStringLiteral("< 1 % of one core"), 1.0);
    cpuRow(cpu.whole,
           QStringLiteral("processor while receiving 10 frames/s, each frame in one piece"),
           QStringLiteral("< 1 % of one core"), 1.0);
    cpuRow(cpu.perByte,
           QStringLiteral("processor while receiving 10 frames/s, byte by byte (pty worst case)"),
           QStringLiteral("< 1 % of one core"), 1.0);
    cpuRow(cpu.closed, QStringLiteral("processor idle, no unit: port closed"),
           QStringLiteral("< 0.3 % of one core"), 0.3);
    cpuRow(cpu.silent, QStringLiteral("processor idle, no unit: port open, silent"),
           QStringLiteral("< 0.3 % of one core"), 0.3);
    if (cpu.silent.ok && floor.ok)
        row(QStringLiteral("resident memory after start (window shown, port open, 5 s + window)"),
            QStringLiteral("–"), mb(double(cpu.silent.rssKb)), mb(double(floor.rssKb)),
            ratio(double(cpu.silent.rssKb), double(floor.rssKb)), QStringLiteral("–"));
    for (const CpuFigure *c : {&cpu.chunks, &cpu.whole, &cpu.perByte, &cpu.closed, &cpu.silent,
                               &cpu.floor, &cpu.floorTimer})
        if (c->ok)
            m_notes.append(QStringLiteral("processor check: %1").arg(c->check));
    const bool all = cpu.floorTimer.ok && floor.ok && cpu.chunks.ok && cpu.whole.ok &&
                     cpu.perByte.ok && cpu.closed.ok && cpu.silent.ok;
    if (!all)
        return;
    const double perWakeupUs =
        (cpu.floorTimer.schedPercent - floor.schedPercent) / 100.0 * 1e6 /
        std::max(1.0, cpu.floorTimer.wakeupsPerSecond - floor.wakeupsPerSecond);
    auto share = [perWakeupUs](const CpuFigure &c) {
        return fmt(c.wakeupsPerSecond * perWakeupUs / 1e4, 2);
    };
    m_notes.append(QStringLiteral("one empty wakeup of an idle Qt program costs %1 µs of processor "
                                  "here (floor window with an empty 100 Hz timer: %2); at that "
                                  "price the tool's wakeups alone come to: frames 16 ms chunks "
                                  "%3 %, whole frames %4 %, byte by byte %5 %, port closed %6 %, "
                                  "port silent %7 %")
                       .arg(fmt(perWakeupUs, 0), pct(cpu.floorTimer))
                       .arg(share(cpu.chunks), share(cpu.whole), share(cpu.perByte),
                            share(cpu.closed), share(cpu.silent)));
}

void Report::addCommand(const CommandFigure &cmd)
{
    if (!cmd.ok || cmd.cpuMs.empty())
        return;
    const double cpu = median(cmd.cpuMs), wall = median(cmd.wallMs), idle = median(cmd.idleCpuMs);
    row(QStringLiteral("processor during a command's pauses (band level send, median of %1)")
            .arg(cmd.cpuMs.size()),
        QStringLiteral("none (a timed wait)"),
        QStringLiteral("%1 ms CPU over a %2 ms send (%3 %)")
            .arg(fmt(cpu, 2), fmt(wall, 0), fmt(100.0 * cpu / wall, 2)),
        QStringLiteral("same tool idle 200 ms: %1 ms CPU").arg(fmt(idle, 2)), ratio(cpu, idle),
        verdict(cpu < 0.05 * wall));
    m_notes.append(QStringLiteral("command: %1 of %2 frames reached the unit as A4 00 NN; gaps "
                                  "between their bytes %3–%4 ms")
                       .arg(cmd.framesOk)
                       .arg(cmd.cpuMs.size())
                       .arg(fmt(least(cmd.gapsMs), 1), fmt(most(cmd.gapsMs), 1)));
}

void Report::addHour(const HourFigure &h, const StartFigure &floorStart)
{
    if (!h.ok || h.samples.size() < 2)
        return;
    const double minutes = h.samples.back().minute;
    qint64 at10 = h.samples.front().rssKb;
    for (const auto &smp : h.samples)
        if (smp.minute <= minutes / 6.0 + 1e-9)
            at10 = smp.rssKb;
    qint64 peak = 0;
    for (const auto &smp : h.samples)
        peak = std::max(peak, smp.rssKb);
    const double growth = double(h.samples.back().rssKb - at10);
    const bool flat = growth <= 1024; // at most 1 MB over the last five sixths
    const bool floorKnown = floorStart.ok && !floorStart.rssKb.empty();
    row(QStringLiteral("resident memory after %1 min of frames (%2 poll cycles, manual timers)")
            .arg(fmt(minutes, 0))
            .arg(h.cycles),
        QStringLiteral("< 60 MB, flat"),
        QStringLiteral("%1 (start %2, at %3 min %4, peak %5; %6 kB after minute %3)")
            .arg(mb(double(h.samples.back().rssKb)), mb(double(h.startRssKb)),
                 fmt(minutes / 6.0, 0), mb(double(at10)), mb(double(peak)),
                 (growth >= 0 ? QStringLiteral("+") : QString()) + fmt(growth, 0)),
        floorKnown ? mb(median(floorStart.rssKb)) + QStringLiteral(" (at start)")
                   : QStringLiteral("–"),
        floorKnown ? ratio(double(h.samples.back().rssKb), median(floorStart.rssKb))
                   : QStringLiteral("–"),
        verdict(h.samples.back().rssKb < 60 * 1024 && flat));
    QStringList curve;
    for (const auto &smp : h.samples)
        curve.append(QStringLiteral("%1 min %2").arg(fmt(smp.minute, 0), mb(double(smp.rssKb))));
    m_notes.append(QStringLiteral("hour: RSS %1; VmHWM %2; frame checks %3/%4; %5 s of wall time; "
                                  "%6 ms of tool CPU per poll cycle (automation requests included)")
                       .arg(curve.join(QStringLiteral(", ")), mb(double(h.hwmKb)))
                       .arg(h.checksOk)
                       .arg(h.checks)
                       .arg(fmt(h.wallSeconds, 0), fmt(h.cpuMsPerCycle, 3)));
}

void Report::addStartupMemory(const StartFigure &tool, const StartFigure &floor)
{
    if (tool.ok && !tool.rssKb.empty() && floor.ok && !floor.rssKb.empty())
        m_notes.append(
            QStringLiteral("RSS at the moment of start-up (median): zendalite %1, floor %2")
                .arg(mb(median(tool.rssKb)), mb(median(floor.rssKb))));
}

void Report::print(const QString &platform) const
{
    QTextStream out(stdout);
    out << "\n### zendalite whole-program benchmark — platform: " << platform
        << " (QT_QPA_PLATFORM=" << platform
        << (platform == QLatin1String("xcb") ? ", under Xvfb" : "") << ")\n\n";
    out << "Machine: " << cpuModel() << ", " << std::thread::hardware_concurrency() << " cores, Qt "
        << qVersion() << "\n\n";
    out << "| figure | target | zendalite | floor window | ratio | verdict |\n";
    out << "|---|---|---|---|---|---|\n";
    for (const QString &r : m_rows)
        out << r << "\n";
    out << "\n";
    for (const QString &n : m_notes)
        out << "- " << n << "\n";
    for (const QString &p : m_problems)
        out << "- PROBLEM: " << p << "\n";
    out.flush();
}

} // namespace programbench
