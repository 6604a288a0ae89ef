#include "hourmeasure.h"

#include "benchclock.h"
#include "benchframes.h"
#include "procstats.h"
#include "progress.h"
#include "session.h"
#include "toolstate.h"

#include "core/frame.h"

#include <algorithm>

namespace programbench {

HourFigure measureHour(const Options &o, QStringList *problems)
{
    HourFigure fig;
    Session p(o, Session::Program::Tool);
    PtyUnit &unit = p.unit();
    if (!p.connect(QStringLiteral("hour"), problems)) {
        fig.ok = false;
        return fig;
    }
    if (!p.startTool(QStringLiteral("hour"), problems, {QStringLiteral("--manual-timers")})) {
        fig.ok = false;
        return fig;
    }
    QJsonObject s = p.state();
    if (!portOpen(s) || !mainVisible(s)) {
        problems->append(QStringLiteral("hour: the port did not open"));
        fig.ok = false;
        return fig;
    }
    p.op(QStringLiteral("wait"), {{QStringLiteral("ms"), 1000}});
    fig.startRssKb = rssKb(p.pid());
    fig.samples.push_back({0, fig.startRssKb});

    auto tick = [&p](const char *timer, int count) {
        return p
            .op(QStringLiteral("tick"),
                {{QStringLiteral("timer"), QLatin1String(timer)}, {QStringLiteral("count"), count}})
            .value(QStringLiteral("fired"))
            .toInt(-1);
    };

    note(QStringLiteral("window opens: hour (pid %1)").arg(p.pid()));
    const CpuTime c0 = cpuOf(p.pid());
    const qint64 t0 = nowNs();
    quint64 k = 0;
    const int blocks = o.hourCycles / 10;                 // 3 s each
    const int blocksPerSample = std::max(1, blocks / 12); // every 5 minutes of an hour
    for (int block = 1; block <= blocks; ++block) {
        QByteArray firstPayload;
        for (int poll = 0; poll < 10; ++poll) {
            QByteArray line;
            firstPayload = benchframes::payload(k, 100 + int(block % 50));
            for (int f = 0; f < 3; ++f)
                line += benchframes::frame(k + quint64(f), 100 + int(block % 50));
            k += 3;
            unit.writeNow(line);
            if (tick("Timer2", 1) != 1) {
                problems->append(QStringLiteral("hour: Timer2 did not tick"));
                fig.ok = false;
                return fig;
            }
            ++fig.cycles;
        }
        tick("Timer1", 6);
        tick("Timer3", 6);
        tick("Timer4", 3);
        tick("SensorX", 30);
        if (block % blocksPerSample == 0 || block == blocks) {
            s = p.state();
            ++fig.checks;
            // The last poll took the first of its three frames.
            if (textOf(s, QStringLiteral("DebugX")) == zcore::diagnosticLine(firstPayload))
                ++fig.checksOk;
            fig.samples.push_back({double(block) * 3.0 / 60.0, rssKb(p.pid())});
            note(QStringLiteral("hour: %1 min, RSS %2 kB")
                     .arg(fig.samples.back().minute)
                     .arg(fig.samples.back().rssKb));
        }
    }
    const CpuTime c1 = cpuOf(p.pid());
    note(QStringLiteral("window closes: hour (pid %1)").arg(p.pid()));
    p.lingerForProfiler();
    fig.wallSeconds = msBetween(t0, nowNs()) / 1000;
    fig.cpuMsPerCycle = (c1.statMs - c0.statMs) / std::max(1, fig.cycles);
    fig.hwmKb = hwmKb(p.pid());
    p.quit();
    return fig;
}

} // namespace programbench
