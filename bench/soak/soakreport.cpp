#include "soakreport.h"

#include "soakrun.h"

#include "program/procstats.h"
#include "program/statistics.h"

#include <QDateTime>
#include <QFile>
#include <QMap>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace soak {

namespace {

QString fmt(double v, int decimals = 1) { return QString::number(v, 'f', decimals); }
QString secs(double ms) { return fmt(ms / 1000.0, 1) + QStringLiteral(" s"); }
QString mb(double kb) { return fmt(kb / 1024.0, 1) + QStringLiteral(" MB"); }
QString verdict(bool met) { return met ? QStringLiteral("met") : QStringLiteral("**NOT met**"); }

void line(const QString &text) { std::fputs(qPrintable(text + QLatin1Char('\n')), stdout); }

void row(const QString &check, const QString &bound, const QString &found, bool met)
{
    line(QStringLiteral("| %1 | %2 | %3 | %4 |").arg(check, bound, found, verdict(met)));
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2);
}

QString flatText(const Flatness &f, const std::function<QString(double)> &show)
{
    QString text = QStringLiteral("first %1, least %2, most %3, last %4")
                       .arg(show(double(f.first)), show(double(f.least)), show(double(f.most)),
                            show(double(f.last)));
    if (!f.judged)
        return text + QStringLiteral("; too few samples to judge");
    return text + QStringLiteral("; means of the 2nd and 4th quarters %1 → %2 (%3%4, bound +%5)")
                      .arg(show(f.secondQuarterMean), show(f.lastQuarterMean),
                           f.rise() >= 0 ? QStringLiteral("+") : QString(), show(f.rise()),
                           show(f.bound));
}

// Drop-outs of one kind: how many, the slowest return of frames and of the
// status line, and in how many the status line had dropped.
QString dropOutsOf(const QList<DropOut> &all, PlannedStep::Kind kind)
{
    int n = 0, resumed = 0, dropped = 0;
    double frames = 0, status = 0;
    for (const DropOut &d : all) {
        if (d.step.kind != kind)
            continue;
        ++n;
        resumed += d.resumed() ? 1 : 0;
        dropped += d.statusDropped ? 1 : 0;
        frames = std::max(frames, d.framesBackMs);
        status = std::max(status, d.statusBackMs);
    }
    if (n == 0)
        return {};
    return QStringLiteral("%1 %2 (%3 resumed; frames ≤ %4, status ≤ %5; the status line "
                          "dropped in %6)")
        .arg(n)
        .arg(PlannedStep::kindName(kind))
        .arg(resumed)
        .arg(secs(frames), secs(status))
        .arg(dropped);
}

} // namespace

bool printReport(const SoakResult &r, const QString &platform)
{
    bool allMet = true;
    const auto check = [&allMet](bool met) {
        allMet = allMet && met;
        return met;
    };

    line(QStringLiteral("# zendalite soak, %1")
             .arg(QDateTime::currentDateTimeUtc().toString(
                 QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"))));
    line(QString());
    line(QStringLiteral("%1 minutes of steps (%2 s in all), seed %3, platform %4; machine: %5, "
                        "load average at the end %6")
             .arg(fmt(r.minutes, 1), fmt(r.runSeconds, 0))
             .arg(r.seed)
             .arg(platform, programbench::cpuModel(), loadAverage()));
    line(QStringLiteral("Again: `%1`").arg(r.command));
    line(QString());
    line(QStringLiteral("| check | bound | found | verdict |"));
    line(QStringLiteral("|---|---|---|---|"));

    // Alive and answering.
    const std::vector<double> &a = r.answerMs;
    const double longest = a.empty() ? 0 : *std::max_element(a.begin(), a.end());
    row(QStringLiteral("the tool alive and answering"),
        QStringLiteral("every request answered within %1; alive to the end; ends on `quit`")
            .arg(secs(SoakRun::kAnswerBoundMs)),
        QStringLiteral("%1 requests, %2 unanswered; longest %3 ms, p99 %4 ms, median %5 ms; %6")
            .arg(a.size())
            .arg(r.unanswered)
            .arg(fmt(longest, 0), fmt(programbench::percentile(a, 99), 1),
                 fmt(programbench::median(a), 1),
                 r.toolEndedEarly ? QStringLiteral("**the tool ended early**")
                 : r.quitCleanly  ? QStringLiteral("ended cleanly on `quit`")
                                  : QStringLiteral("did not end on `quit`")),
        check(!a.empty() && r.unanswered == 0 && longest <= SoakRun::kAnswerBoundMs &&
              !r.toolEndedEarly && r.quitCleanly));

    row(QStringLiteral("between faults"),
        QStringLiteral("status line \"Connect Ecu!\"; a frame recorded at least every %1")
            .arg(secs(SoakRun::kStallMs)),
        QStringLiteral("%1 readings: status lost in %2, recording stalled %3 times")
            .arg(r.calmStates)
            .arg(r.statusLostInCalm)
            .arg(r.stalls),
        check(r.calmStates > 0 && r.statusLostInCalm == 0 && r.stalls == 0));

    // Drop-outs.
    QStringList kinds;
    bool dropOutsMet = true;
    for (const DropOut &d : r.dropOuts)
        dropOutsMet = dropOutsMet && d.resumed() && d.framesBackMs <= SoakRun::kFramesBackBoundMs &&
                      d.statusBackMs <= SoakRun::kStatusBackBoundMs;
    for (const auto kind :
         {PlannedStep::Kind::Unplug, PlannedStep::Kind::Quiet, PlannedStep::Kind::Late}) {
        const QString text = dropOutsOf(r.dropOuts, kind);
        if (!text.isEmpty())
            kinds.append(text);
    }
    row(QStringLiteral("every drop-out resumed"),
        QStringLiteral("after it ends (replug, quiet or late over): frames recorded again within "
                       "%1, \"Connect Ecu!\" within %2")
            .arg(secs(SoakRun::kFramesBackBoundMs), secs(SoakRun::kStatusBackBoundMs)),
        kinds.isEmpty() ? QStringLiteral("none in this run") : kinds.join(QStringLiteral("; ")),
        check(dropOutsMet));

    const FrameWalk &w = r.walk;
    const int unplugs = r.unit.count(QStringLiteral("unplug"));
    const int replugs = r.unit.count(QStringLiteral("replug"));
    QStringList events;
    for (auto it = w.events.begin(); it != w.events.end(); ++it)
        events.append(QStringLiteral("%1 %2").arg(it.key()).arg(it.value()));
    row(QStringLiteral("link events recorded"),
        QStringLiteral("a device-lost at each unplug and a device-returned at each replug, "
                       "nothing else"),
        QStringLiteral("%1 unplugs, %2 replugs; %3; %4 in place, %5 out of place")
            .arg(unplugs)
            .arg(replugs)
            .arg(events.isEmpty() ? QStringLiteral("no event rows")
                                  : events.join(QStringLiteral(", ")))
            .arg(r.links.inPlace)
            .arg(r.links.outOfPlace.size()),
        check(r.recordingRead && r.links.outOfPlace.isEmpty()));

    // Frames.
    QStringList cut;
    for (auto it = w.cutMissing.begin(); it != w.cutMissing.end(); ++it)
        cut.append(QStringLiteral("%1 by %2").arg(it.value()).arg(it.key()));
    row(QStringLiteral("no frame missing but those the faults cut"),
        QStringLiteral("from the first frame row to the last, every number there, but frames cut "
                       "(truncate, unplug) or zeroed (zeros: a row of zero bytes each)"),
        r.recordingRead
            ? QStringLiteral("%1 frame rows (%2 numbered, %3 of zero bytes), frames %4–%5; "
                             "missing: %6 cut (%7), %8 zeroed; **%9 lost**; the tool counted %10")
                  .arg(w.frameRows)
                  .arg(w.numberedRows)
                  .arg(w.zeroRows)
                  .arg(w.firstNumber)
                  .arg(w.lastNumber)
                  .arg(w.cutCount())
                  .arg(cut.isEmpty() ? QStringLiteral("none") : cut.join(QStringLiteral(", ")))
                  .arg(w.zeroedMatched)
                  .arg(w.lost.size())
                  .arg(r.recorderFrames)
            : QStringLiteral("the recording could not be read"),
        check(r.recordingRead && w.numberedRows > 0 && w.lost.isEmpty() &&
              r.recorderFrames == w.frameRows));
    row(QStringLiteral("no row that is no frame the unit sent"),
        QStringLiteral("none (a sum that does not hold, a number repeated or going back, zero "
                       "bytes with no zeroed frame)"),
        QStringLiteral("%1").arg(w.foreign.size()), check(r.recordingRead && w.foreign.isEmpty()));

    // Band levels.
    int refused = 0, reached = 0, shown = 0;
    double slowest = 0;
    for (const BandSend &b : r.bands) {
        refused += b.refusal.isEmpty() ? 0 : 1;
        if (b.reachedMs >= 0) {
            ++reached;
            slowest = std::max(slowest, b.reachedMs - b.atMs);
        }
        shown += b.shownMs >= 0 ? 1 : 0;
    }
    const int others = int(r.unit.commands().size()) - reached;
    row(QStringLiteral("every band level typed reached the unit, nothing else did"),
        QStringLiteral("each at the unit within %1; no other command, no stray byte; a command "
                       "row for each")
            .arg(secs(SoakRun::kBandReachBoundMs)),
        QStringLiteral("%1 typed, %2 refused, %3 reached (slowest %4), %5 shown back on the "
                       "window; %6 other commands, %7 stray; %8 command rows")
            .arg(r.bands.size())
            .arg(refused)
            .arg(reached)
            .arg(secs(slowest))
            .arg(shown)
            .arg(others)
            .arg(r.unit.strays().size())
            .arg(w.commands.size()),
        check(refused == 0 && reached == r.bands.size() && others == 0 &&
              r.unit.strays().isEmpty() && w.commands.size() == r.bands.size()));

    // Flat.
    const Flatness rss = r.proc.rss(), fds = r.proc.descriptors(), threads = r.proc.threads();
    row(QStringLiteral("resident memory flat"),
        QStringLiteral("4th quarter's mean ≤ 2nd quarter's + 3 MB + 0.5 KB per sample the graph "
                       "took on (it keeps an hour)"),
        flatText(rss, [](double kb) { return mb(kb); }) +
            QStringLiteral(" (%1 samples of /proc)").arg(r.proc.samples().size()),
        check(rss.flat));
    const auto count = [](double v) { return fmt(v, v == double(qint64(v)) ? 0 : 2); };
    row(QStringLiteral("open descriptors flat"), QStringLiteral("4th quarter's mean ≤ 2nd's + 0.5"),
        flatText(fds, count), check(fds.flat));
    row(QStringLiteral("threads flat"), QStringLiteral("4th quarter's mean ≤ 2nd's + 0.5"),
        flatText(threads, count), check(threads.flat));

    // Details.
    line(QString());
    QMap<QString, int> stepCounts;
    for (const PlannedStep &s : r.steps)
        ++stepCounts[PlannedStep::kindName(s.kind)];
    QStringList stepText;
    for (auto it = stepCounts.begin(); it != stepCounts.end(); ++it)
        stepText.append(QStringLiteral("%1 %2").arg(it.value()).arg(it.key()));
    line(QStringLiteral("Steps carried out: %1 (%2).")
             .arg(r.steps.size())
             .arg(stepText.join(QStringLiteral(", "))));
    if (!r.dropOuts.isEmpty()) {
        line(QString());
        line(
            QStringLiteral("| drop-out | begun | over | status line dropped | frames again after | "
                           "\"Connect Ecu!\" after |"));
        line(QStringLiteral("|---|---|---|---|---|---|"));
        for (const DropOut &d : r.dropOuts)
            line(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 |")
                     .arg(d.step.text(), secs(d.startMs),
                          d.endMs < 0 ? QStringLiteral("never") : secs(d.endMs),
                          d.statusDropped ? QStringLiteral("yes") : QStringLiteral("no"),
                          d.framesBackMs < 0 ? QStringLiteral("never") : secs(d.framesBackMs),
                          d.statusBackMs < 0 ? QStringLiteral("never") : secs(d.statusBackMs)));
    }
    const auto list = [](const QString &title, const QStringList &items) {
        if (items.isEmpty())
            return;
        line(QString());
        line(title);
        line(QString());
        const qsizetype shown = std::min<qsizetype>(items.size(), 40);
        for (qsizetype i = 0; i < shown; ++i)
            line(QStringLiteral("- ") + items[i]);
        if (items.size() > shown)
            line(QStringLiteral("- … and %1 more (soak.log has them all)")
                     .arg(items.size() - shown));
    };
    QStringList lostText;
    for (const LostFrame &l : w.lost)
        lostText.append(QStringLiteral("frame %1 (the row after the gap at %2 ms of the "
                                       "recording): %3")
                            .arg(l.number)
                            .arg(l.elapsedMs)
                            .arg(l.cause));
    list(QStringLiteral("Link events out of place (times in the soak, the recording's rows "
                        "placed by its start at %1):")
             .arg(secs(r.recordStartMs)),
         r.links.outOfPlace);
    list(QStringLiteral("Frames lost:"), lostText);
    QStringList foreignText;
    for (const ForeignRow &f : w.foreign)
        foreignText.append(
            QStringLiteral("at %1 ms of the recording, after frame %2: %3; payload %4")
                .arg(f.elapsedMs)
                .arg(f.after)
                .arg(f.why, QString::fromLatin1(f.payload.toHex().toUpper())));
    list(QStringLiteral("Rows that are no frame the unit sent:"), foreignText);
    list(QStringLiteral("Problems, in the order met:"), r.problems);
    const bool passed = allMet && r.problems.isEmpty();
    line(QString());
    line(QStringLiteral("Logs (soak.log, unit-stdout.log, unit-stderr.log, tool-stderr.log, "
                        "recording.csv, samples.csv): %1")
             .arg(r.outDir));
    line(QStringLiteral("Verdict: %1")
             .arg(passed ? QStringLiteral("every check met")
                         : QStringLiteral("**a check failed**; the logs are kept")));
    return passed;
}

} // namespace soak
