// What recording costs: the tool receiving 10 frames/s in 16 ms chunks (a
// USB adapter; --record-whole: each frame in one piece), measured in processor windows without and
// with a recording
// (--record, so the link's frame scanner and the recorder both run). The
// windows alternate, off-on then on-off, so that a drift of the host's speed
// falls on both sides. Each recording is then read back: every frame the
// unit sent while it ran must be a row.
#pragma once

#include "options.h"
#include "processormeasure.h"
#include "recordedframes.h"

#include <QStringList>

#include <vector>

namespace programbench {

struct RecordFigure {
    std::vector<CpuFigure> without;
    std::vector<CpuFigure> with;
    RecordedFrames recorded;      // of all the recordings, summed
    qint64 stateFrames = 0;       // what the tool said it wrote
    qint64 lastCounterMisses = 0; // recordings whose last row is not the unit's last frame
    bool whole = false;           // frames in one piece
    bool ok = true;
};

RecordFigure measureRecordOverhead(const Options &o, QStringList *problems);

} // namespace programbench
