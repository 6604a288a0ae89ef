#include "recordhourmeasure.h"

#include "benchclock.h"
#include "benchframes.h"
#include "procstats.h"
#include "progress.h"
#include "recordedframes.h"
#include "session.h"
#include "toolstate.h"

#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>

namespace programbench {

RecordHourFigure measureRecordHour(const Options &o, QStringList *problems)
{
    RecordHourFigure fig;
    const QString what = QStringLiteral("record-hour");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("hour.csv"));
    Session p(o, Session::Program::Tool);
    PtyUnit &unit = p.unit();
    if (!p.connect(what, problems) ||
        !p.startTool(what, problems, {QStringLiteral("--record"), file})) {
        fig.ok = false;
        return fig;
    }
    const QJsonObject shown =
        p.op(QStringLiteral("action"), {{QStringLiteral("id"), QStringLiteral("graph-show")}});
    const bool ready = p.waitForState([](const QJsonObject &s) {
        return portOpen(s) && graphVisible(s) &&
               recorderOf(s).value(QStringLiteral("active")).toBool();
    });
    if (!shown.value(QStringLiteral("ok")).toBool() || !ready) {
        problems->append(what + QStringLiteral(": port, recording or graph did not start"));
        fig.ok = false;
        return fig;
    }
    p.op(QStringLiteral("wait"), {{QStringLiteral("ms"), 1000}});
    fig.rssKb.push_back(rssKb(p.pid()));

    // Frames in bursts every 10 ms, at the rate asked for.
    const int perBurst = std::max(1, int(o.recordHourRate / 100.0));
    const int sampleEvery = std::max(1, o.recordHourFrames / 12);
    note(QStringLiteral("window opens: %1 (pid %2), %3 frames at %4/s")
             .arg(what)
             .arg(p.pid())
             .arg(o.recordHourFrames)
             .arg(perBurst * 100));
    const CpuTime c0 = cpuOf(p.pid());
    const qint64 t0 = nowNs();
    qint64 next = t0;
    quint64 k = 0;
    while (k < quint64(o.recordHourFrames)) {
        QByteArray burst;
        for (int i = 0; i < perBurst && k < quint64(o.recordHourFrames); ++i) {
            burst += benchframes::frame(k++, 100);
            if (k % quint64(sampleEvery) == 0)
                fig.rssKb.push_back(rssKb(p.pid()));
        }
        if (!unit.writeNow(burst)) {
            problems->append(what + QStringLiteral(": the line stayed full at frame %1").arg(k));
            fig.ok = false;
            break;
        }
        fig.framesSent = int(k);
        next += 10'000'000;
        sleepUntilNs(next);
    }
    // Until the recorder has written what was sent (or 10 s more).
    QJsonObject s;
    p.waitForState(
        [&fig](const QJsonObject &state) {
            return recorderOf(state).value(QStringLiteral("frames")).toInteger() >= fig.framesSent;
        },
        &s);
    fig.wallSeconds = msBetween(t0, nowNs()) / 1000;
    fig.cpuMsPerFrame = (cpuOf(p.pid()).statMs - c0.statMs) / std::max(1, fig.framesSent);
    note(QStringLiteral("window closes: %1 (pid %2)").arg(what).arg(p.pid()));
    fig.rssKb.push_back(rssKb(p.pid()));
    fig.hwmKb = hwmKb(p.pid());
    fig.stateFrames = recorderOf(s).value(QStringLiteral("frames")).toInteger();
    fig.graphSamples = graphOf(s).value(QStringLiteral("samples")).toInteger();
    p.op(QStringLiteral("action"), {{QStringLiteral("id"), QStringLiteral("record-stop")}});
    for (int i = 0; i < 3; ++i) {
        const qint64 asked = nowNs();
        const QJsonObject opened =
            p.op(QStringLiteral("action"), {{QStringLiteral("id"), QStringLiteral("graph-open")},
                                            {QStringLiteral("file"), file}});
        const QJsonObject after = p.state();
        fig.openMs.push_back(msBetween(asked, nowNs()));
        fig.openedSamples = graphOf(after).value(QStringLiteral("samples")).toInteger();
        if (!opened.value(QStringLiteral("ok")).toBool())
            problems->append(what + QStringLiteral(": graph-open refused the hour: ") +
                             opened.value(QStringLiteral("error")).toString());
    }
    p.quit();

    const RecordedFrames r = readRecordedFrames(file);
    if (!r.refused.isEmpty()) {
        problems->append(what + QStringLiteral(": the recording does not read back: ") + r.refused);
        fig.ok = false;
    }
    fig.rows = r.rows;
    fig.gaps = r.gaps;
    fig.repeats = r.repeats;
    fig.firstCounter = r.firstCounter;
    fig.lastCounter = r.lastCounter;
    fig.fileBytes = r.bytes;
    return fig;
}

} // namespace programbench
