#include "processormeasure.h"

#include "benchclock.h"
#include "procstats.h"
#include "progress.h"
#include "session.h"
#include "toolstate.h"

namespace programbench {

namespace {

enum class Idle {
    FramesPerByte,
    FramesChunks,
    FramesWhole,
    PortClosed,
    PortSilent,
    Floor,
    FloorTimer
};

bool receives(Idle k)
{
    return k == Idle::FramesPerByte || k == Idle::FramesChunks || k == Idle::FramesWhole;
}

QString describe(Idle kind)
{
    switch (kind) {
    case Idle::FramesPerByte:
        return QStringLiteral("10 frames/s, byte by byte");
    case Idle::FramesChunks:
        return QStringLiteral("10 frames/s, 16 ms chunks");
    case Idle::FramesWhole:
        return QStringLiteral("10 frames/s, whole frames");
    case Idle::PortClosed:
        return QStringLiteral("idle, port closed");
    case Idle::PortSilent:
        return QStringLiteral("idle, port open, silent");
    case Idle::Floor:
        return QStringLiteral("floor window idle");
    case Idle::FloorTimer:
        return QStringLiteral("floor window, empty 100 Hz timer");
    }
    return {};
}

// Whether the program is up and in the state the window measures.
bool inState(Idle kind, const QJsonObject &s)
{
    switch (kind) {
    case Idle::FramesPerByte:
    case Idle::FramesChunks:
    case Idle::FramesWhole:
        return portOpen(s) && textOf(s, QStringLiteral("DebugX")).contains(QLatin1Char('-'));
    case Idle::PortSilent:
        return portOpen(s) && mainVisible(s);
    case Idle::PortClosed:
        return !portOpen(s) &&
               element(s, QStringLiteral("Text1")).value(QStringLiteral("visible")).toBool() &&
               !mainVisible(s);
    case Idle::Floor:
    case Idle::FloorTimer:
        return mainVisible(s);
    }
    return false;
}

CpuFigure measureCpu(const Options &o, Idle kind, QStringList *problems)
{
    CpuFigure fig;
    const bool tool = kind != Idle::Floor && kind != Idle::FloorTimer;
    Session p(o, tool ? Session::Program::Tool : Session::Program::Floor);
    PtyUnit &unit = p.unit();
    const QString what = describe(kind);
    if (receives(kind) || kind == Idle::PortSilent) {
        if (!p.connect(what, problems)) {
            fig.ok = false;
            return fig;
        }
        if (kind == Idle::FramesPerByte)
            unit.startStream(10, PtyUnit::Delivery::PerByte);
        else if (kind == Idle::FramesChunks)
            unit.startStream(10, PtyUnit::Delivery::Chunks16);
        else if (kind == Idle::FramesWhole)
            unit.startStream(10, PtyUnit::Delivery::WholeFrame);
    } else if (kind == Idle::PortClosed) {
        // Port 1 names a device that does not exist: the port stays closed.
        p.connectNowhere();
    }
    const QStringList args = kind == Idle::FloorTimer
                                 ? QStringList{QStringLiteral("--timer-hz"), QStringLiteral("100")}
                                 : QStringList{};
    if (!p.start(args)) {
        problems->append(what + QStringLiteral(": the program did not start"));
        fig.ok = false;
        return fig;
    }
    // Up and in the intended state before the window opens.
    QJsonObject s;
    if (!p.waitForState([kind](const QJsonObject &state) { return inState(kind, state); }, &s)) {
        problems->append(what + QStringLiteral(": did not reach its state in 5 s (%1)")
                                    .arg(p.stderrText().trimmed().left(300)));
        fig.ok = false;
        return fig;
    }
    const QString debugBefore = textOf(s, QStringLiteral("DebugX"));
    // Settle: start-up work, and the animation's first pass that decodes its
    // frames (4.5 s), are not idle work.
    sleepMs(5000);
    fig = cpuWindow(p, what, o.cpuSeconds);
    s = p.state();
    switch (kind) {
    case Idle::FramesPerByte:
    case Idle::FramesChunks:
    case Idle::FramesWhole: {
        const QString after = textOf(s, QStringLiteral("DebugX"));
        const bool moving = after != debugBefore && after.contains(QLatin1Char('-'));
        fig.check =
            QStringLiteral("frames accepted throughout (status \"%1\", debug line moved: %2, "
                           "%3 frames sent, %4 bytes dropped)")
                .arg(sharedOf(s, QStringLiteral("linkStatus")),
                     moving ? QStringLiteral("yes") : QStringLiteral("NO"))
                .arg(unit.framesSent())
                .arg(unit.bytesDropped());
        if (!moving)
            problems->append(what + QStringLiteral(": the debug line did not move"));
        break;
    }
    case Idle::PortSilent:
        fig.check = QStringLiteral("port open, nothing received; window title now \"%1\"")
                        .arg(mainTitle(s));
        break;
    case Idle::PortClosed:
        fig.check = QStringLiteral("port closed, \"Com\" dialog shown, main window hidden");
        break;
    case Idle::Floor:
        fig.check = QStringLiteral("empty window shown");
        break;
    case Idle::FloorTimer:
        fig.check = QStringLiteral("empty window shown, empty timer at 100 Hz");
        break;
    }
    unit.stopStream();
    p.quit();
    return fig;
}

} // namespace

CpuFigure cpuWindow(Session &p, const QString &what, double seconds)
{
    CpuFigure fig;
    note(QStringLiteral("window opens: %1 (pid %2)").arg(what).arg(p.pid()));
    const CpuTime c0 = cpuOf(p.pid());
    const qint64 w0 = wakeupsOf(p.pid());
    const qint64 t0 = nowNs();
    sleepMs(seconds * 1000);
    const CpuTime c1 = cpuOf(p.pid());
    const qint64 w1 = wakeupsOf(p.pid());
    const qint64 t1 = nowNs();
    note(QStringLiteral("window closes: %1 (pid %2)").arg(what).arg(p.pid()));
    p.lingerForProfiler();
    fig.wakeupsPerSecond = double(w1 - w0) / (msBetween(t0, t1) / 1000);
    fig.seconds = msBetween(t0, t1) / 1000;
    fig.percent = 100.0 * (c1.statMs - c0.statMs) / msBetween(t0, t1);
    fig.schedPercent = 100.0 * (c1.schedMs - c0.schedMs) / msBetween(t0, t1);
    fig.rssKb = rssKb(p.pid());
    return fig;
}

CpuFigures measureProcessor(const Options &o, QStringList *problems)
{
    note(QStringLiteral("processor: windows of %1 s").arg(o.cpuSeconds));
    auto run = [&](Idle kind, const char *name) {
        if (!o.wants("cpu") && !o.wants(name)) {
            CpuFigure skipped;
            skipped.ok = false;
            return skipped;
        }
        note(QStringLiteral("processor: %1").arg(QLatin1String(name)));
        return measureCpu(o, kind, problems);
    };
    CpuFigures all;
    all.floor = run(Idle::Floor, "cpu-floor");
    all.perByte = run(Idle::FramesPerByte, "cpu-bytes");
    all.chunks = run(Idle::FramesChunks, "cpu-chunks");
    all.whole = run(Idle::FramesWhole, "cpu-whole");
    all.closed = run(Idle::PortClosed, "cpu-closed");
    all.silent = run(Idle::PortSilent, "cpu-silent");
    all.floorTimer = run(Idle::FloorTimer, "cpu-floor-timer");
    return all;
}

} // namespace programbench
