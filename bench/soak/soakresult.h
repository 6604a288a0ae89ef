// What a soak found: the figures of each check and the evidence of every
// problem, for the report.
#pragma once

#include "faultplan.h"
#include "framewalk.h"
#include "linkevents.h"
#include "procseries.h"
#include "unitevents.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace soak {

// A spell in which the line went silent (unplug, quiet, late), and how the
// tool took up the frames again after it ended.
struct DropOut {
    PlannedStep step;
    double startMs = 0;         // the control line written
    double endMs = -1;          // the unit's line saying the silence is over
    qint64 framesAtEnd = -1;    // the recorder's frames then
    double framesBackMs = -1;   // end -> the recorder's frames move on
    double statusBackMs = -1;   // end -> the status line reads "Connect Ecu!"
    bool statusDropped = false; // it read something else meanwhile

    bool resumed() const { return framesBackMs >= 0 && statusBackMs >= 0; }
};

// A band level typed on the window, and what became of it.
struct BandSend {
    int band = 0; // 1-4
    int level = 0;
    double atMs = 0;
    QString refusal;       // the window's message when the entry box stayed open
    double reachedMs = -1; // the unit's command line, after atMs
    double shownMs = -1;   // the band's label shows the level, after atMs
    bool toldMissing = false;
};

struct SoakResult {
    double minutes = 0;    // of faults, as run
    double runSeconds = 0; // the whole run, start-up to the last check
    quint32 seed = 0;
    QString outDir;
    QString command; // to run it again

    // Alive and answering.
    std::vector<double> answerMs; // every request's answer time
    int unanswered = 0;
    bool toolEndedEarly = false;
    bool quitCleanly = false;

    // Outside the drop-outs.
    int calmStates = 0;
    int statusLostInCalm = 0;
    int stalls = 0;

    QList<DropOut> dropOuts;
    QList<BandSend> bands;
    QList<PlannedStep> steps; // as carried out
    UnitEvents unit;

    FrameWalk walk;
    LinkEventCheck links;
    double recordStartMs = 0; // the soak's time at the recording's elapsed_ms 0
    bool recordingRead = false;
    qint64 recorderFrames = -1; // the tool's own count at the stop
    qint64 recorderCommands = -1;

    ProcSeries proc;

    QStringList problems; // each with its evidence
};

} // namespace soak
