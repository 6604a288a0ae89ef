#include "soakrun.h"

#include "program/procstats.h"

#include "core/recording.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace soak {

namespace {

const QString kConnected = QStringLiteral("Connect Ecu!");

QString seconds(double ms) { return QString::number(ms / 1000.0, 'f', 1) + QStringLiteral(" s"); }

QJsonObject elementOf(const QJsonObject &state, const QString &name)
{
    return state.value(QStringLiteral("elements")).toObject().value(name).toObject();
}

} // namespace

SoakRun::SoakRun(SoakOptions options)
    : m_o(std::move(options)),
      m_plan(m_o.seed, m_o.leastWaitSeconds, m_o.mostWaitSeconds, m_o.kinds)
{
    m_r.seed = m_o.seed;
    m_r.minutes = m_o.minutes;
}

SoakResult SoakRun::run()
{
    m_clock.start();
    if (!prepareOutput())
        return m_r;
    QStringList again{QStringLiteral("zendalite-soak")};
    again += m_o.arguments;
    if (!m_o.arguments.contains(QStringLiteral("--seed")))
        again += {QStringLiteral("--seed"), QString::number(m_o.seed)};
    m_r.command = again.join(QLatin1Char(' '));
    note(QStringLiteral("seed %1, %2 minutes, a step every %3-%4 s, logs in %5")
             .arg(m_o.seed)
             .arg(m_o.minutes)
             .arg(m_o.leastWaitSeconds)
             .arg(m_o.mostWaitSeconds)
             .arg(m_dir));
    if (startUnit() && startTool() && waitForFrames()) {
        soak();
        finish();
    }
    m_r.runSeconds = now() / 1000.0;
    return m_r;
}

bool SoakRun::prepareOutput()
{
    m_dir = m_o.outDir;
    if (m_dir.isEmpty())
        m_dir = QDir::temp().filePath(
            QStringLiteral("zendalite-soak-%1-%2")
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))
                .arg(m_o.seed));
    m_r.outDir = m_dir;
    if (!QDir().mkpath(m_dir)) {
        problem(QStringLiteral("cannot make the folder %1").arg(m_dir));
        return false;
    }
    const QDir dir(m_dir);
    m_link = dir.filePath(QStringLiteral("unit"));
    m_recording = dir.filePath(QStringLiteral("recording.csv"));
    QFile::remove(m_recording);
    m_log.setFileName(dir.filePath(QStringLiteral("soak.log")));
    m_unitLog.setFileName(dir.filePath(QStringLiteral("unit-stdout.log")));
    m_samples.setFileName(dir.filePath(QStringLiteral("samples.csv")));
    for (QFile *f : {&m_log, &m_unitLog, &m_samples}) {
        if (!f->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            problem(QStringLiteral("cannot write %1: %2").arg(f->fileName(), f->errorString()));
            return false;
        }
    }
    m_samples.write("seconds,rss_kb,descriptors,threads,graph_samples,recorder_frames,drop_out\n");
    return true;
}

bool SoakRun::startUnit()
{
    m_unit.process.setStandardErrorFile(QDir(m_dir).filePath(QStringLiteral("unit-stderr.log")));
    if (!m_unit.start(m_link, {QStringLiteral("--counter"), QStringLiteral("--seed"),
                               QString::number(m_o.seed)})) {
        problem(QStringLiteral("zendalite-sim did not start (see unit-stderr.log)"));
        return false;
    }
    note(QStringLiteral("the unit is ready at %1 (pid %2)")
             .arg(m_link)
             .arg(m_unit.process.processId()));
    return true;
}

bool SoakRun::startTool()
{
    if (!m_o.tool.isEmpty())
        m_tool.program = m_o.tool;
    m_tool.stderrFile = QDir(m_dir).filePath(QStringLiteral("tool-stderr.log"));
    m_tool.extraEnvironment.insert(QStringLiteral("QT_QPA_PLATFORM"), m_o.platform);
    if (!m_tool.prepareConfig(m_link) || !m_tool.start({})) {
        problem(QStringLiteral("zendalite did not start"));
        return false;
    }
    note(QStringLiteral("the tool started (pid %1), real timers").arg(m_tool.process.processId()));
    for (int i = 0; i < 80; ++i) {
        const QJsonObject s = request({{QStringLiteral("op"), QStringLiteral("state")}});
        if (elementOf(s, QStringLiteral("MSComm1")).value(QStringLiteral("open")).toBool() &&
            elementOf(s, QStringLiteral("Con1")).value(QStringLiteral("text")).toString() ==
                kConnected)
            return true;
        readUnit();
        m_unit.process.waitForReadyRead(250);
    }
    problem(QStringLiteral("the tool did not show \"Connect Ecu!\" within 20 s of its start"));
    return false;
}

bool SoakRun::waitForFrames()
{
    const double asked = now();
    const bool recording =
        ok(QStringLiteral("action"), {{QStringLiteral("id"), QStringLiteral("record-start")},
                                      {QStringLiteral("file"), m_recording}});
    m_r.recordStartMs = (asked + now()) / 2.0;
    if (!recording ||
        !ok(QStringLiteral("action"), {{QStringLiteral("id"), QStringLiteral("graph-show")}})) {
        problem(QStringLiteral("record-start or graph-show was refused"));
        return false;
    }
    for (int i = 0; i < 40; ++i) {
        const Reading r = readState();
        if (r.recording && r.recorderFrames > 0) {
            note(QStringLiteral("recording to %1, graph window open").arg(m_recording));
            return true;
        }
        m_unit.process.waitForReadyRead(250);
        readUnit();
    }
    problem(QStringLiteral("no frame recorded within 10 s of record-start"));
    return false;
}

void SoakRun::soak()
{
    const double start = now();
    const double end = start + m_o.minutes * 60000.0;
    m_lastDisturbanceMs = start;
    m_lastFramesMoveMs = start;
    PlannedStep next = m_plan.next();
    double nextAt = start + next.waitSeconds * 1000.0;
    double nextState = start;
    double nextSample = start;
    double lastProgress = start;
    while (!m_dead) {
        double t = now();
        readUnit();
        if (!alive())
            break;
        if (t >= nextState) {
            follow(readState());
            nextState = std::max(nextState + m_o.stateMs, now());
        }
        if (t >= nextSample) {
            sample();
            nextSample += m_o.sampleSeconds * 1000.0;
        }
        t = now();
        if (m_replugAtMs >= 0 && t >= m_replugAtMs) {
            m_unit.process.write("replug\n");
            m_pending.append(Pending{QStringLiteral("replug"), t});
            m_replugAtMs = -1;
            note(QStringLiteral("replug"));
        }
        checkBands(t);
        const bool ending = t >= end;
        if (!ending && t >= nextAt && !busy()) {
            perform(next);
            next = m_plan.next();
            nextAt = now() + next.waitSeconds * 1000.0;
        }
        if (ending && !busy())
            break;
        if (ending && t > end + 2 * kGiveUpMs) {
            problem(QStringLiteral("the last steps did not end within %1 after the run's time")
                        .arg(seconds(2 * kGiveUpMs)));
            break;
        }
        if (t - lastProgress >= 60000.0) {
            lastProgress = t;
            std::fprintf(stderr, "soak: %s of %.1f minutes, %lld frames recorded, %lld steps\n",
                         qPrintable(seconds(t - start)), m_o.minutes,
                         static_cast<long long>(m_lastFrames),
                         static_cast<long long>(m_r.steps.size()));
        }
        const double wait = std::min(nextState, nextSample) - now();
        if (wait > 0)
            m_unit.process.waitForReadyRead(int(std::min(wait, 100.0)) + 1);
    }
}

// Goes on reading the state and the unit for a while, without steps.
void SoakRun::settle(double ms)
{
    const double until = now() + ms;
    while (!m_dead && now() < until) {
        readUnit();
        if (!alive())
            return;
        follow(readState());
        checkBands(now());
        m_unit.process.waitForReadyRead(int(m_o.stateMs));
    }
}

void SoakRun::finish()
{
    if (!m_dead) {
        note(QStringLiteral("the steps are over; settling"));
        settle(kSettleMs);
    }
    if (m_open) {
        problem(QStringLiteral("the drop-out begun at %1 (%2) was still under way at the end")
                    .arg(at(m_open->startMs), m_open->step.text()));
        m_r.dropOuts.append(*m_open);
        m_open.reset();
    }
    for (const Pending &p : std::as_const(m_pending))
        problem(QStringLiteral("the unit never said it carried out \"%1\" (asked at %2)")
                    .arg(p.name, at(p.atMs)));
    if (!m_dead) {
        if (!ok(QStringLiteral("action"), {{QStringLiteral("id"), QStringLiteral("record-stop")}}))
            problem(QStringLiteral("record-stop was refused"));
        const QJsonObject recorder = request({{QStringLiteral("op"), QStringLiteral("state")}})
                                         .value(QStringLiteral("recorder"))
                                         .toObject();
        m_r.recorderFrames = recorder.value(QStringLiteral("frames")).toInteger(-1);
        m_r.recorderCommands = recorder.value(QStringLiteral("commands")).toInteger(-1);
        m_r.quitCleanly = m_tool.quit(10000);
        if (!m_r.quitCleanly)
            problem(QStringLiteral("the tool did not end by itself on `quit` (exit code %1)")
                        .arg(m_tool.process.exitCode()));
    }
    readUnit();
    m_unit.stop();
    readUnit();

    QFile file(m_recording);
    if (!file.open(QIODevice::ReadOnly)) {
        problem(QStringLiteral("the recording cannot be read: %1").arg(file.errorString()));
        return;
    }
    QString why;
    const auto recording = zcore::readRecording(file.readAll(), &why);
    if (!recording) {
        problem(QStringLiteral("the recording does not read back: %1").arg(why));
        return;
    }
    m_r.recordingRead = true;
    // The unit's notes say how much of each cut frame went out.
    QFile notes(QDir(m_dir).filePath(QStringLiteral("unit-stderr.log")));
    if (notes.open(QIODevice::ReadOnly | QIODevice::Text))
        for (const QByteArray &line : notes.readAll().split('\n'))
            m_r.unit.takeNote(QString::fromUtf8(line));
    m_r.walk = walkFrames(*recording, m_r.unit);
    m_r.links = checkLinkEvents(m_r.walk.linkEvents, m_r.unit.cableOut(), m_r.recordStartMs);
    note(QStringLiteral("the recording: %1 frame rows, numbers %2 to %3")
             .arg(m_r.walk.frameRows)
             .arg(m_r.walk.firstNumber)
             .arg(m_r.walk.lastNumber));
}

void SoakRun::perform(const PlannedStep &step)
{
    m_r.steps.append(step);
    if (step.kind == PlannedStep::Kind::Band) {
        typeBand(step);
        return;
    }
    const double t = now();
    m_unit.process.write(step.controlLine().toUtf8() + '\n');
    m_pending.append(Pending{PlannedStep::kindName(step.kind), t});
    note(step.text());
    if (step.isDropOut()) {
        DropOut d;
        d.step = step;
        d.startMs = t;
        m_open = d;
    }
    if (step.kind == PlannedStep::Kind::Unplug)
        m_replugAtMs = t + step.replugSeconds * 1000.0;
}

// Click the band's Kalori label, type the level into the entry box that
// opens, Enter: as a technician does.
void SoakRun::typeBand(const PlannedStep &step)
{
    BandSend send;
    send.band = step.band;
    send.level = step.level;
    send.atMs = now();
    note(step.text());
    const QString box = QStringLiteral("SetBox");
    const QString target = QStringLiteral("target"), code = QStringLiteral("code");
    bool done = ok(QStringLiteral("click"), {{target, QStringLiteral("ca%1").arg(step.band)}});
    if (done) {
        const QJsonObject s = request({{QStringLiteral("op"), QStringLiteral("state")}});
        const qsizetype old = elementOf(s, box).value(QStringLiteral("text")).toString().size();
        for (qsizetype i = 0; i < old && done; ++i)
            done = ok(QStringLiteral("key"), {{target, box}, {code, 8}});
        done = done &&
               ok(QStringLiteral("type"),
                  {{target, box}, {QStringLiteral("text"), QString::number(step.level)}}) &&
               ok(QStringLiteral("key"), {{target, box}, {code, 13}});
    }
    const Reading r = readState();
    if (!done)
        send.refusal = QStringLiteral("a gesture was refused");
    else if (r.entryOpen)
        send.refusal = QStringLiteral("the entry box stayed open: \"%1\"").arg(r.message);
    if (!send.refusal.isEmpty())
        problem(QStringLiteral("band %1 → %2 at %3 did not go out: %4")
                    .arg(step.band)
                    .arg(step.level)
                    .arg(at(send.atMs), send.refusal));
    m_r.bands.append(send);
}

void SoakRun::readUnit()
{
    QCoreApplication::processEvents();
    m_unit.process.waitForReadyRead(0);
    for (const QString &line : m_unit.lines())
        takeUnitLine(line, now());
}

void SoakRun::takeUnitLine(const QString &line, double t)
{
    m_unitLog.write(QStringLiteral("%1 %2\n").arg(at(t), line).toUtf8());
    m_unitLog.flush();
    const QString kind = m_r.unit.take(line, t);
    if (kind == QLatin1String("fault")) {
        const UnitFault &f = m_r.unit.faults().constLast();
        const auto pending = std::find_if(m_pending.begin(), m_pending.end(),
                                          [&f](const Pending &p) { return p.name == f.name; });
        if (pending == m_pending.end())
            problem(QStringLiteral("the unit carried out a fault nobody asked for: %1").arg(line));
        else
            m_pending.erase(pending);
        m_lastDisturbanceMs = t;
        if (m_open && m_open->endMs < 0) {
            const auto kind = m_open->step.kind;
            const bool ends =
                (kind == PlannedStep::Kind::Unplug && f.name == QLatin1String("replug")) ||
                (kind == PlannedStep::Kind::Quiet && f.name == QLatin1String("quiet")) ||
                (kind == PlannedStep::Kind::Late && f.name == QLatin1String("late"));
            if (ends) {
                m_open->endMs = t;
                m_open->framesAtEnd = m_lastFrames;
            }
        }
    } else if (kind == QLatin1String("command")) {
        const UnitCommand &c = m_r.unit.commands().constLast();
        auto send = std::find_if(m_r.bands.begin(), m_r.bands.end(), [&c](const BandSend &b) {
            return b.reachedMs < 0 && b.band - 1 == c.code && b.level == c.value;
        });
        if (send == m_r.bands.end())
            problem(QStringLiteral("a command the soak did not type reached the unit at %1: %2")
                        .arg(at(t), line));
        else
            send->reachedMs = t;
    } else if (kind == QLatin1String("stray")) {
        problem(
            QStringLiteral("bytes outside a command reached the unit at %1: %2").arg(at(t), line));
    } else if (kind == QLatin1String("error")) {
        problem(QStringLiteral("the unit answered at %1: %2").arg(at(t), line));
    }
}

SoakRun::Reading SoakRun::readState()
{
    Reading r;
    const QJsonObject s = request({{QStringLiteral("op"), QStringLiteral("state")}});
    r.atMs = now();
    r.answered = s.value(QStringLiteral("ok")).toBool();
    if (!r.answered)
        return r;
    r.status = elementOf(s, QStringLiteral("Con1")).value(QStringLiteral("text")).toString();
    const QJsonObject recorder = s.value(QStringLiteral("recorder")).toObject();
    r.recorderFrames = recorder.value(QStringLiteral("frames")).toInteger(-1);
    r.recording = recorder.value(QStringLiteral("active")).toBool();
    r.graphSamples =
        s.value(QStringLiteral("graph")).toObject().value(QStringLiteral("samples")).toInteger();
    for (int i = 0; i < 4; ++i)
        r.bands[size_t(i)] = elementOf(s, QStringLiteral("ca%1").arg(i + 1))
                                 .value(QStringLiteral("text"))
                                 .toString();
    r.entryOpen = elementOf(s, QStringLiteral("SetBox")).value(QStringLiteral("visible")).toBool();
    r.message = s.value(QStringLiteral("shared"))
                    .toObject()
                    .value(QStringLiteral("statusMessage"))
                    .toString();
    m_last = r;
    return r;
}

// What one state reading says about the drop-out under way, the band
// levels sent, and the calm between faults.
void SoakRun::follow(const Reading &r)
{
    if (!r.answered)
        return;
    const double t = r.atMs;
    if (r.recorderFrames > m_lastFrames) {
        m_lastFrames = r.recorderFrames;
        m_lastFramesMoveMs = t;
        m_stalled = false;
    }
    if (!r.recording && !m_toldRecording) {
        m_toldRecording = true;
        problem(QStringLiteral("the recording stopped by itself before %1 (the message: \"%2\")")
                    .arg(at(t), r.message));
    }

    if (m_open) {
        DropOut &d = *m_open;
        if (r.status != kConnected)
            d.statusDropped = true;
        if (d.endMs >= 0 && t >= d.endMs) {
            if (d.framesBackMs < 0 && r.recorderFrames > d.framesAtEnd)
                d.framesBackMs = t - d.endMs;
            if (d.statusBackMs < 0 && r.status == kConnected)
                d.statusBackMs = t - d.endMs;
            const bool givenUp = t - d.endMs > kGiveUpMs;
            if (d.resumed() || givenUp) {
                note(
                    QStringLiteral("%1: frames again after %2, \"Connect Ecu!\" after %3%4")
                        .arg(d.step.text(),
                             d.framesBackMs < 0 ? QStringLiteral("never") : seconds(d.framesBackMs),
                             d.statusBackMs < 0 ? QStringLiteral("never") : seconds(d.statusBackMs),
                             d.statusDropped ? QStringLiteral(" (the status line had dropped)")
                                             : QString()));
                if (!d.resumed() || d.framesBackMs > kFramesBackBoundMs ||
                    d.statusBackMs > kStatusBackBoundMs)
                    problem(QStringLiteral("%1 begun at %2, over at %3: frames recorded again "
                                           "after %4 (bound %5), \"Connect Ecu!\" after %6 "
                                           "(bound %7); the status line read \"%8\" last")
                                .arg(d.step.text(), at(d.startMs), at(d.endMs),
                                     d.framesBackMs < 0 ? QStringLiteral("never")
                                                        : seconds(d.framesBackMs),
                                     seconds(kFramesBackBoundMs),
                                     d.statusBackMs < 0 ? QStringLiteral("never")
                                                        : seconds(d.statusBackMs),
                                     seconds(kStatusBackBoundMs), r.status));
                m_r.dropOuts.append(d);
                m_open.reset();
                m_lastDisturbanceMs = t;
            }
        } else if (d.endMs < 0 &&
                   t - d.startMs > d.step.replugSeconds * 1000.0 + d.step.argument + kGiveUpMs) {
            problem(QStringLiteral("%1 begun at %2: the unit never said it was over")
                        .arg(d.step.text(), at(d.startMs)));
            m_r.dropOuts.append(d);
            m_open.reset();
        }
    }

    for (BandSend &b : m_r.bands)
        if (b.shownMs < 0 && b.reachedMs >= 0 &&
            r.bands[size_t(b.band - 1)] == QString::number(b.level))
            b.shownMs = t - b.atMs;

    // Calm: no fault under way, the last one over for a while. The status
    // line reads "Connect Ecu!" and frames keep being recorded.
    const bool calm = !busy() && t - m_lastDisturbanceMs >= kCalmAfterMs;
    if (!calm) {
        m_calmSinceMs = -1;
        return;
    }
    if (m_calmSinceMs < 0)
        m_calmSinceMs = t;
    ++m_r.calmStates;
    if (r.status != kConnected) {
        ++m_r.statusLostInCalm;
        if (!m_toldStatus)
            problem(QStringLiteral("the status line read \"%1\" at %2 with no fault under way "
                                   "(the last one over at %3)")
                        .arg(r.status, at(t), at(m_lastDisturbanceMs)));
        m_toldStatus = true;
    }
    if (!m_stalled && t - std::max(m_lastFramesMoveMs, m_calmSinceMs) > kStallMs) {
        m_stalled = true;
        ++m_r.stalls;
        problem(QStringLiteral("no frame recorded from %1 to %2 with no fault under way (the "
                               "recorder stood at %3 frames)")
                    .arg(at(m_lastFramesMoveMs), at(t))
                    .arg(m_lastFrames));
    }
}

void SoakRun::checkBands(double t)
{
    for (BandSend &b : m_r.bands) {
        if (b.reachedMs < 0 && b.refusal.isEmpty() && !b.toldMissing &&
            t - b.atMs > kBandReachBoundMs) {
            b.toldMissing = true;
            problem(QStringLiteral("band %1 → %2 typed at %3 had not reached the unit %4 later")
                        .arg(b.band)
                        .arg(b.level)
                        .arg(at(b.atMs), seconds(kBandReachBoundMs)));
        }
    }
}

void SoakRun::sample()
{
    const qint64 pid = m_tool.process.processId();
    if (pid <= 0)
        return;
    ProcSample s;
    s.atMs = now();
    s.rssKb = programbench::rssKb(pid);
    s.descriptors = programbench::openDescriptors(pid);
    s.threads = programbench::threadsOf(pid);
    s.graphSamples = m_last.graphSamples;
    s.dropOut = m_open.has_value();
    if (s.rssKb < 0)
        return;
    m_r.proc.add(s);
    m_samples.write(QStringLiteral("%1,%2,%3,%4,%5,%6,%7\n")
                        .arg(s.atMs / 1000.0, 0, 'f', 1)
                        .arg(s.rssKb)
                        .arg(s.descriptors)
                        .arg(s.threads)
                        .arg(s.graphSamples)
                        .arg(m_lastFrames)
                        .arg(s.dropOut ? 1 : 0)
                        .toUtf8());
    m_samples.flush();
}

bool SoakRun::busy() const
{
    if (m_open || !m_pending.isEmpty() || m_replugAtMs >= 0)
        return true;
    return std::any_of(m_r.bands.begin(), m_r.bands.end(), [](const BandSend &b) {
        return b.reachedMs < 0 && b.refusal.isEmpty() && !b.toldMissing;
    });
}

bool SoakRun::alive()
{
    if (m_tool.process.state() != QProcess::Running) {
        m_dead = true;
        m_r.toolEndedEarly = true;
        problem(QStringLiteral("the tool ended at %1: exit code %2, %3 (see tool-stderr.log)")
                    .arg(at(now()))
                    .arg(m_tool.process.exitCode())
                    .arg(m_tool.process.exitStatus() == QProcess::CrashExit
                             ? QStringLiteral("crashed")
                             : QStringLiteral("ended")));
        return false;
    }
    if (m_unit.process.state() != QProcess::Running) {
        m_dead = true;
        problem(
            QStringLiteral("the simulated unit ended at %1 (see unit-stderr.log)").arg(at(now())));
        return false;
    }
    return true;
}

QJsonObject SoakRun::request(const QJsonObject &request)
{
    const double t = now();
    const QJsonObject reply = m_tool.request(request, 15000);
    const double took = now() - t;
    m_r.answerMs.push_back(took);
    if (reply.value(QStringLiteral("error")).toString() == QLatin1String("no reply")) {
        ++m_r.unanswered;
        problem(QStringLiteral("no answer within 15 s to %1 sent at %2")
                    .arg(QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact)),
                         at(t)));
    } else if (took > kAnswerBoundMs) {
        problem(QStringLiteral("%1 sent at %2 was answered after %3 ms")
                    .arg(request.value(QStringLiteral("op")).toString(), at(t))
                    .arg(took, 0, 'f', 0));
    }
    return reply;
}

bool SoakRun::ok(const QString &op, QJsonObject fields)
{
    fields.insert(QStringLiteral("op"), op);
    return request(fields).value(QStringLiteral("ok")).toBool();
}

QString SoakRun::at(double ms) const { return QString::number(ms / 1000.0, 'f', 2) + 's'; }

void SoakRun::note(const QString &text)
{
    const QString line = QStringLiteral("%1 %2\n").arg(at(now()), text);
    m_log.write(line.toUtf8());
    m_log.flush();
}

void SoakRun::problem(const QString &text)
{
    m_r.problems.append(text);
    note(QStringLiteral("PROBLEM: ") + text);
    std::fprintf(stderr, "soak: problem: %s\n", qPrintable(text));
}

} // namespace soak
