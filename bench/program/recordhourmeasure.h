// An hour of recording in fast time: the tool started with --record and the
// graph window open, the unit's 36 000 frames (an hour at 10 frames/s) sent
// as fast as --record-hour-rate says, with the real timers running. Then the
// recording is read back and every frame must be a row, in order, once; the
// graph must hold a sample of each. The resident set is sampled twelve times
// on the way: the graph keeps an hour of samples, so this is its largest.
// Last, the same tool opens the hour's recording in the graph (graph-open)
// three times: from the request to the reply of the `state` after it, which
// comes once the events the opening caused (its drawing) have run.
#pragma once

#include "options.h"

#include <QStringList>
#include <QtGlobal>

#include <vector>

namespace programbench {

struct RecordHourFigure {
    int framesSent = 0;
    qint64 rows = 0;
    qint64 gaps = 0;
    qint64 repeats = 0;
    int firstCounter = -1;
    int lastCounter = -1;
    qint64 fileBytes = 0;
    qint64 stateFrames = 0;    // the recorder's own count
    qint64 graphSamples = 0;   // samples the graph held at the end
    std::vector<qint64> rssKb; // at the start, then twelve times
    qint64 hwmKb = -1;
    double wallSeconds = 0;
    double cpuMsPerFrame = 0;
    std::vector<double> openMs; // graph-open of the hour, to the state after it
    qint64 openedSamples = 0;
    bool ok = true;
};

RecordHourFigure measureRecordHour(const Options &o, QStringList *problems);

} // namespace programbench
