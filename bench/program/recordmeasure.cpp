#include "recordmeasure.h"

#include "benchclock.h"
#include "progress.h"
#include "session.h"
#include "toolstate.h"

#include <QJsonObject>
#include <QTemporaryDir>

namespace programbench {

namespace {

// One processor window, with or without a recording; false when the
// session could not be measured.
bool measureOne(const Options &o, bool recording, RecordFigure *fig, QStringList *problems)
{
    const QString what =
        QStringLiteral("10 frames/s, %1, %2")
            .arg(o.recordWhole ? QStringLiteral("whole frames") : QStringLiteral("16 ms chunks"),
                 recording ? QStringLiteral("recording") : QStringLiteral("not recording"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("recording.csv"));
    Session p(o, Session::Program::Tool);
    PtyUnit &unit = p.unit();
    if (!p.connect(what, problems))
        return false;
    unit.startStream(10,
                     o.recordWhole ? PtyUnit::Delivery::WholeFrame : PtyUnit::Delivery::Chunks16);
    const QStringList args =
        recording ? QStringList{QStringLiteral("--record"), file} : QStringList{};
    if (!p.startTool(what, problems, args))
        return false;
    const bool ready = p.waitForState([recording](const QJsonObject &s) {
        return portOpen(s) && textOf(s, QStringLiteral("DebugX")).contains(QLatin1Char('-')) &&
               recorderOf(s).value(QStringLiteral("active")).toBool() == recording;
    });
    if (!ready) {
        problems->append(what + QStringLiteral(": no frames on the window in 5 s"));
        return false;
    }
    sleepMs(5000); // start-up work and the animation's first pass are not this work
    CpuFigure c = cpuWindow(p, what, o.cpuSeconds);
    unit.stopStream();
    p.op(QStringLiteral("wait"), {{QStringLiteral("ms"), 300}});
    const qint64 written = recorderOf(p.state()).value(QStringLiteral("frames")).toInteger();
    c.check = QStringLiteral("%1: %2 frames sent").arg(what).arg(unit.framesSent());
    if (recording)
        p.op(QStringLiteral("action"), {{QStringLiteral("id"), QStringLiteral("record-stop")}});
    p.quit();
    if (!recording) {
        fig->without.push_back(c);
        return true;
    }
    const RecordedFrames r = readRecordedFrames(file);
    if (!r.refused.isEmpty()) {
        problems->append(what + QStringLiteral(": the recording does not read back: ") + r.refused);
        return false;
    }
    fig->recorded.rows += r.rows;
    fig->recorded.gaps += r.gaps;
    fig->recorded.repeats += r.repeats;
    fig->recorded.bytes += r.bytes;
    fig->stateFrames += written;
    if (r.lastCounter != int((unit.framesSent() - 1) & 0xFFFF))
        ++fig->lastCounterMisses;
    c.check += QStringLiteral(", %1 frame rows (from frame %2 to %3), %4 missing, %5 repeated")
                   .arg(r.rows)
                   .arg(r.firstCounter)
                   .arg(r.lastCounter)
                   .arg(r.gaps)
                   .arg(r.repeats);
    fig->with.push_back(c);
    return true;
}

} // namespace

RecordFigure measureRecordOverhead(const Options &o, QStringList *problems)
{
    RecordFigure fig;
    fig.whole = o.recordWhole;
    for (int round = 0; round < o.recordRounds && fig.ok; ++round) {
        const bool recordingFirst = round % 2 == 1;
        note(QStringLiteral("record: round %1 of %2").arg(round + 1).arg(o.recordRounds));
        for (const bool recording : {recordingFirst, !recordingFirst})
            if (!measureOne(o, recording, &fig, problems))
                fig.ok = false;
    }
    return fig;
}

} // namespace programbench
