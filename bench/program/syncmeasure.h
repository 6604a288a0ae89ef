// What syncing a recording costs. The recorder puts its file on the disk
// every 5 s (fsync); this writes a file as the recorder writes it, in the
// folder recordings would go to here (the system's temporary folder unless
// --sync-dir says otherwise): between two syncs 5 s of rows at 10 frames/s
// (50 frame rows, about 10 kB), written through a second's worth at a time,
// without waiting the 5 s. Each sync is timed on the clock (how long the
// thread that syncs is held up: the tool's event loop, as the recorder runs
// on it) and in the processor time of that thread.
#pragma once

#include "options.h"

#include <QStringList>

#include <vector>

namespace programbench {

struct SyncFigure {
    std::vector<double> wallMs;      // each sync, on the clock
    std::vector<double> processorUs; // each sync, the thread's processor time
    qint64 bytesPerSync = 0;         // written since the sync before
    QString folder;
    bool ok = true;
};

SyncFigure measureSync(const Options &o, QStringList *problems);

} // namespace programbench
