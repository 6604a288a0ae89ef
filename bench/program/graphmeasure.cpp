#include "graphmeasure.h"

#include "benchclock.h"
#include "procstats.h"
#include "progress.h"
#include "session.h"
#include "statistics.h"
#include "toolstate.h"

#include "core/decode.h"

#include <QJsonArray>
#include <QJsonObject>

#include <array>
#include <cmath>

namespace programbench {

namespace {

// The graph reports an injection time as (word − 3) / 126 ms, null for a
// word of 0: back to the words the frame carried.
std::array<int, 4> wordsOf(const QJsonArray &times)
{
    std::array<int, 4> words{};
    for (size_t c = 0; c < words.size(); ++c) {
        const QJsonValue v = times.at(qsizetype(c));
        words[c] = v.isDouble() ? int(std::llround(v.toDouble() * 126.0 + 3.0)) : 0;
    }
    return words;
}

// The processor of the tool, and of the X server when there is one, over
// one window.
CpuFigure windowWithX(Session &p, const QString &what, double seconds, double *xPercent)
{
    const qint64 x = xServerPid();
    const CpuTime x0 = x > 0 ? cpuOf(x) : CpuTime{};
    const qint64 t0 = nowNs();
    CpuFigure c = cpuWindow(p, what, seconds);
    if (x > 0)
        *xPercent = 100.0 * (cpuOf(x).schedMs - x0.schedMs) / msBetween(t0, nowNs());
    return c;
}

void measureLatency(Session &p, const Options &o, GraphFigure *fig)
{
    PtyUnit &unit = p.unit();
    std::vector<double> roundTrips;
    const quint64 sent0 = unit.framesSent();
    qint64 samples0 = -1;
    qint64 seen = -1;
    const qint64 end = nowNs() + qint64(o.graphLatencySeconds * 1e9);
    while (nowNs() < end) {
        const qint64 asked = nowNs();
        const QJsonObject graph = graphOf(p.state());
        const qint64 got = nowNs();
        roundTrips.push_back(msBetween(asked, got));
        const qint64 samples = graph.value(QStringLiteral("samples")).toInteger();
        if (samples0 < 0)
            samples0 = seen = samples;
        if (samples != seen) {
            seen = samples;
            const QJsonObject last = graph.value(QStringLiteral("last")).toObject();
            const auto in = wordsOf(last.value(QStringLiteral("in")).toArray());
            const auto out = wordsOf(last.value(QStringLiteral("out")).toArray());
            const auto frame = unit.sentFrameWhere([&](const QByteArray &payload) {
                const zcore::LiveFrame f = zcore::decodePayload(payload);
                return f.inWord == in && f.outWord == out;
            });
            if (frame && frame->endNs <= got)
                fig->latencyMs.push_back(msBetween(frame->endNs, got));
            else
                ++fig->unmatched;
        }
        sleepUntilNs(asked + 10'000'000);
    }
    fig->framesSent = unit.framesSent() - sent0;
    fig->samplesAdded = seen - samples0;
    fig->pollCostMs = median(roundTrips);
}

} // namespace

GraphFigure measureGraph(const Options &o, QStringList *problems)
{
    GraphFigure fig;
    const QString what = QStringLiteral("graph");
    Session p(o, Session::Program::Tool);
    PtyUnit &unit = p.unit();
    if (!p.connect(what, problems)) {
        fig.ok = false;
        return fig;
    }
    unit.keepLog(true);
    unit.startStream(10, PtyUnit::Delivery::Chunks16);
    if (!p.startTool(what, problems)) {
        fig.ok = false;
        return fig;
    }
    const bool receiving = p.waitForState([](const QJsonObject &s) {
        return portOpen(s) && textOf(s, QStringLiteral("DebugX")).contains(QLatin1Char('-'));
    });
    const QJsonObject shown =
        p.op(QStringLiteral("action"), {{QStringLiteral("id"), QStringLiteral("graph-show")}});
    if (!receiving || !shown.value(QStringLiteral("ok")).toBool() ||
        !p.waitForState(graphVisible)) {
        problems->append(QStringLiteral("graph: no frames, or the graph window did not open"));
        fig.ok = false;
        return fig;
    }
    note(QStringLiteral("graph: %1 s of live data first").arg(o.graphFillSeconds));
    sleepMs(o.graphFillSeconds * 1000);
    fig.fillSeconds = o.graphFillSeconds;
    fig.open = windowWithX(p, QStringLiteral("10 frames/s, graph open, 2 min span"), o.cpuSeconds,
                           &fig.xOpenPercent);
    fig.samplesAtWindow = graphOf(p.state()).value(QStringLiteral("samples")).toInteger();

    note(QStringLiteral("graph: latency for %1 s").arg(o.graphLatencySeconds));
    measureLatency(p, o, &fig);

    p.op(QStringLiteral("close"), {{QStringLiteral("window"), QStringLiteral("Graph")}});
    sleepMs(5000);
    fig.closed = windowWithX(p, QStringLiteral("10 frames/s, graph closed"), o.cpuSeconds,
                             &fig.xClosedPercent);
    const QJsonObject s = p.state();
    if (graphVisible(s) || !textOf(s, QStringLiteral("DebugX")).contains(QLatin1Char('-'))) {
        problems->append(QStringLiteral("graph: the window stayed open or frames stopped"));
        fig.ok = false;
    }
    fig.open.check = QStringLiteral("graph open with %1 samples, %2 bytes dropped by the line")
                         .arg(fig.samplesAtWindow)
                         .arg(unit.bytesDropped());
    unit.stopStream();
    p.quit();
    return fig;
}

} // namespace programbench
