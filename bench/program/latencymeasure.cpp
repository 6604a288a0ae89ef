#include "latencymeasure.h"

#include "benchclock.h"
#include "progress.h"
#include "session.h"
#include "statistics.h"
#include "toolstate.h"

#include <random>

namespace programbench {

namespace {

// --trace: which frame the window shows now, and how old it is.
void traceShown(PtyUnit &unit, const QString &debug, qint64 zeroNs, qint64 gotNs)
{
    const auto f = unit.sentFrame(debug);
    if (f)
        note(QStringLiteral("trace: poll seen at %1 ms shows frame %2 (level %3), "
                            "sent at %4 ms: %5 ms old")
                 .arg(fmt(msBetween(zeroNs, gotNs), 0))
                 .arg(f->k)
                 .arg(f->level)
                 .arg(fmt(msBetween(zeroNs, f->startNs), 0), fmt(msBetween(f->startNs, gotNs), 0)));
    else
        note(QStringLiteral("trace: poll seen at %1 ms shows an unknown frame")
                 .arg(fmt(msBetween(zeroNs, gotNs), 0)));
}

} // namespace

LatencyFigure measureLatency(const Options &o, QStringList *problems)
{
    LatencyFigure fig;
    Session p(o, Session::Program::Tool);
    PtyUnit &unit = p.unit();
    if (!p.connect(QStringLiteral("latency"), problems)) {
        fig.ok = false;
        return fig;
    }
    int level = 100;
    unit.setLevel(level);
    unit.keepLog(o.trace);
    unit.startStream(10, PtyUnit::Delivery::PerByte);
    if (!p.startTool(QStringLiteral("latency"), problems)) {
        fig.ok = false;
        return fig;
    }
    // The first frame on the window.
    const bool shown = p.waitForState([level](const QJsonObject &s) {
        return textOf(s, QStringLiteral("ca1")) == QString::number(level);
    });
    if (!shown) {
        problems->append(QStringLiteral("latency: no frame reached the window in 5 s"));
        fig.ok = false;
        return fig;
    }

    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> levels(20, 250);
    std::uniform_int_distribution<int> pauseMs(0, 300);
    std::vector<double> roundTrips;
    const qint64 traceZero = nowNs();
    QString lastDebug;
    for (int sample = 0; sample < o.samples; ++sample) {
        int next = level;
        while (next == level)
            next = levels(rng);
        // A new phase, then a few even frames, then the change at a frame's start.
        unit.requestPhaseShift();
        sleepMs(350 + pauseMs(rng));
        const int changesBefore = unit.changes();
        unit.setLevel(next);
        const QString want = QString::number(next);
        const qint64 limit = nowNs() + 2'000'000'000;
        qint64 seenNs = 0;
        while (nowNs() < limit) {
            const qint64 sent = nowNs();
            const QJsonObject s = p.state();
            const qint64 got = nowNs();
            roundTrips.push_back(msBetween(sent, got));
            if (o.trace) {
                const QString debug = textOf(s, QStringLiteral("DebugX"));
                if (debug != lastDebug) {
                    lastDebug = debug;
                    traceShown(unit, debug, traceZero, got);
                }
            }
            if (textOf(s, QStringLiteral("ca1")) == want) {
                seenNs = got;
                break;
            }
            sleepUntilNs(sent + qint64(fig.pollEveryMs * 1e6));
        }
        if (o.trace)
            note(
                QStringLiteral("trace: level %1 in the frame sent at %2 ms, on the window at %3 ms")
                    .arg(next)
                    .arg(fmt(msBetween(traceZero, unit.changeStartNs()), 0),
                         seenNs ? fmt(msBetween(traceZero, seenNs), 0) : QStringLiteral("never")));
        if (seenNs == 0 || unit.changes() == changesBefore) {
            ++fig.missed;
        } else {
            fig.fromFirstByteMs.push_back(msBetween(unit.changeStartNs(), seenNs));
        }
        level = next;
    }
    fig.pollCostMs = median(roundTrips);
    unit.stopStream();
    fig.dropped = unit.bytesDropped();
    p.quit();
    return fig;
}

} // namespace programbench
