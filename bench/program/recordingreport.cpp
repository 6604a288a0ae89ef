// The report's rows for the recorder, the graph window and the recorded hour.

#include "report.h"
#include "reportcells.h"
#include "statistics.h"

namespace programbench {

namespace {

std::vector<double> percents(const std::vector<CpuFigure> &windows, bool sched)
{
    std::vector<double> v;
    for (const CpuFigure &c : windows)
        v.push_back(sched ? c.schedPercent : c.percent);
    return v;
}

double medianWakeups(const std::vector<CpuFigure> &windows)
{
    std::vector<double> v;
    for (const CpuFigure &c : windows)
        v.push_back(c.wakeupsPerSecond);
    return median(v);
}

QString spread(const std::vector<double> &v)
{
    return QStringLiteral("%1–%2 % (median %3)")
        .arg(fmt(least(v), 2), fmt(most(v), 2), fmt(median(v), 2));
}

QString signedFmt(double v, int decimals)
{
    return (v >= 0 ? QStringLiteral("+") : QString()) + fmt(v, decimals);
}

} // namespace

void Report::addRecord(const RecordFigure &rec)
{
    if (!rec.ok || rec.with.empty() || rec.without.empty())
        return;
    const auto off = percents(rec.without, false), on = percents(rec.with, false);
    const double more = median(on) - median(off);
    const double moreSched = median(percents(rec.with, true)) - median(percents(rec.without, true));
    row(QStringLiteral("processor, 10 frames/s in %1: recording (scanner + recorder) against not "
                       "(%2 pairs of %3 s windows)")
            .arg(rec.whole ? QStringLiteral("whole frames") : QStringLiteral("16 ms chunks"))
            .arg(rec.with.size())
            .arg(fmt(rec.with.front().seconds, 0)),
        QStringLiteral("≤ 0.3 % of one core more"),
        QStringLiteral("not recording %1, %2 wakeups/s; recording %3, %4 wakeups/s: %5 % "
                       "(sched %6 %)")
            .arg(spread(off), fmt(medianWakeups(rec.without), 0), spread(on),
                 fmt(medianWakeups(rec.with), 0), signedFmt(more, 2), signedFmt(moreSched, 3)),
        QStringLiteral("–"), ratio(median(on), median(off)), verdict(more <= 0.3));
    const RecordedFrames &r = rec.recorded;
    const bool whole =
        r.gaps == 0 && r.repeats == 0 && r.rows == rec.stateFrames && rec.lastCounterMisses == 0;
    row(QStringLiteral("frames the unit sent while recording → frame rows (%1 recordings)")
            .arg(rec.with.size()),
        QStringLiteral("none lost"),
        QStringLiteral("%1 rows, %2 missing, %3 repeated; the tool counted %4; last row the "
                       "unit's last frame in %5 of %6")
            .arg(r.rows)
            .arg(r.gaps)
            .arg(r.repeats)
            .arg(rec.stateFrames)
            .arg(qsizetype(rec.with.size()) - rec.lastCounterMisses)
            .arg(rec.with.size()),
        QStringLiteral("–"), QStringLiteral("–"), verdict(whole));
    for (const CpuFigure &c : rec.with)
        m_notes.append(QStringLiteral("record check: %1").arg(c.check));
}

void Report::addSync(const SyncFigure &s)
{
    if (!s.ok || s.wallMs.empty())
        return;
    // One sync every 5 s: its share of that time.
    const double periodMs = 5000;
    const double wall = median(s.wallMs), processorUs = median(s.processorUs);
    row(QStringLiteral("one sync of a recording, every 5 s (%1 syncs of %2 kB each, in %3)")
            .arg(s.wallMs.size())
            .arg(fmt(double(s.bytesPerSync) / 1024.0, 1), s.folder),
        QStringLiteral("≤ 0.1 % of one core"),
        QStringLiteral("on the clock p50 %1 / p95 %2 / max %3 ms (the event loop held up "
                       "%4 % of the time); processor p50 %5 / max %6 µs: %7 % of one core")
            .arg(fmt(wall, 2), fmt(percentile(s.wallMs, 95), 2), fmt(most(s.wallMs), 2),
                 fmt(100.0 * wall / periodMs, 3), fmt(processorUs, 0), fmt(most(s.processorUs), 0),
                 fmt(100.0 * processorUs / 1000.0 / periodMs, 4)),
        QStringLiteral("–"), QStringLiteral("–"),
        verdict(100.0 * processorUs / 1000.0 / periodMs <= 0.1));
}

void Report::addGraph(const GraphFigure &g)
{
    if (!g.ok)
        return;
    const QString x = std::isnan(g.xOpenPercent)
                          ? QString()
                          : QStringLiteral("; X server %1 %").arg(fmt(g.xOpenPercent, 2));
    const QString xClosed = std::isnan(g.xClosedPercent)
                                ? QString()
                                : QStringLiteral("; X server %1 %").arg(fmt(g.xClosedPercent, 2));
    row(QStringLiteral("processor, 10 frames/s in 16 ms chunks, graph window open on its 2 min "
                       "span after %1 s of data (%2 samples; %3 s)")
            .arg(fmt(g.fillSeconds, 0))
            .arg(g.samplesAtWindow)
            .arg(fmt(g.open.seconds, 0)),
        QStringLiteral("≤ 3 % of one core"), pct(g.open) + x,
        QStringLiteral("graph closed: %1%2").arg(pct(g.closed), xClosed),
        signedFmt(g.open.percent - g.closed.percent, 2) + QStringLiteral(" %"),
        verdict(g.open.percent <= 3));
    if (!g.latencyMs.empty()) {
        const double p95 = percentile(g.latencyMs, 95);
        row(QStringLiteral("a frame's last byte → its sample in the graph (n = %1%2)")
                .arg(g.latencyMs.size())
                .arg(g.unmatched ? QStringLiteral(", %1 not matched").arg(g.unmatched) : QString()),
            QStringLiteral("p95 < 150 ms"),
            QStringLiteral("p50 %1 / p95 %2 / max %3 ms")
                .arg(fmt(median(g.latencyMs), 0), fmt(p95, 0), fmt(most(g.latencyMs), 0)),
            QStringLiteral("–"), QStringLiteral("–"), verdict(p95 < 150));
        m_notes.append(
            QStringLiteral("graph latency: the graph's newest sample was read every "
                           "10 ms with `state` (median round trip %1 ms), so each "
                           "figure is late by at most about %2 ms; min %3 ms; %4 "
                           "frames sent, %5 samples added meanwhile")
                .arg(fmt(g.pollCostMs, 2), fmt(10 + g.pollCostMs, 0), fmt(least(g.latencyMs), 0))
                .arg(g.framesSent)
                .arg(g.samplesAdded));
    }
    m_notes.append(QStringLiteral("graph check: %1").arg(g.open.check));
}

void Report::addRecordHour(const RecordHourFigure &h)
{
    if (!h.ok || h.rssKb.empty())
        return;
    const bool whole = h.rows == h.framesSent && h.gaps == 0 && h.repeats == 0 &&
                       h.stateFrames == h.framesSent && h.graphSamples >= h.framesSent;
    row(QStringLiteral("an hour of recording in fast time: %1 frames in %2 s, graph open")
            .arg(h.framesSent)
            .arg(fmt(h.wallSeconds, 0)),
        QStringLiteral("%1 frame rows, none lost").arg(h.framesSent),
        QStringLiteral("%1 rows (frames %2 to %3), %4 missing, %5 repeated; the tool counted "
                       "%6; the graph holds %7 samples")
            .arg(h.rows)
            .arg(h.firstCounter)
            .arg(h.lastCounter)
            .arg(h.gaps)
            .arg(h.repeats)
            .arg(h.stateFrames)
            .arg(h.graphSamples),
        QStringLiteral("–"), QStringLiteral("–"), verdict(whole));
    const qint64 end = h.rssKb.back();
    const qint64 peak = *std::max_element(h.rssKb.begin(), h.rssKb.end());
    row(QStringLiteral("resident memory, the graph holding an hour of samples"),
        QStringLiteral("≤ 100 MB"),
        QStringLiteral("%1 (start %2, peak sampled %3, VmHWM %4)")
            .arg(mb(double(end)), mb(double(h.rssKb.front())), mb(double(peak)),
                 mb(double(h.hwmKb))),
        QStringLiteral("–"), QStringLiteral("–"), verdict(end <= 100 * 1024));
    if (!h.openMs.empty())
        row(QStringLiteral("opening that hour's recording in the graph (%1 frame rows, %2; "
                           "median of %3, drawn)")
                .arg(h.rows)
                .arg(mb(double(h.fileBytes) / 1024.0))
                .arg(h.openMs.size()),
            QStringLiteral("< 1 s"),
            QStringLiteral("%1 ms (%2–%3); %4 samples shown")
                .arg(fmt(median(h.openMs), 0), fmt(least(h.openMs), 0), fmt(most(h.openMs), 0))
                .arg(h.openedSamples),
            QStringLiteral("–"), QStringLiteral("–"),
            verdict(median(h.openMs) < 1000 && h.openedSamples == h.rows));
    QStringList curve;
    for (const qint64 kb : h.rssKb)
        curve.append(mb(double(kb)));
    m_notes.append(QStringLiteral("recorded hour: RSS %1; file %2; %3 ms of tool processor per "
                                  "frame (graph, recorder, window and automation together)")
                       .arg(curve.join(QStringLiteral(", ")), mb(double(h.fileBytes) / 1024.0),
                            fmt(h.cpuMsPerFrame, 3)));
}

} // namespace programbench
