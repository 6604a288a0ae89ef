#include "syncmeasure.h"

#include "benchclock.h"
#include "benchframes.h"
#include "core/recording.h"
#include "telemetry/filesync.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <ctime>

namespace programbench {

namespace {

constexpr int kFramesPerSecond = 10;
constexpr int kSecondsPerSync = 5;

double threadProcessorUs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

} // namespace

SyncFigure measureSync(const Options &o, QStringList *problems)
{
    SyncFigure fig;
    QTemporaryDir dir(QDir(o.syncDir.isEmpty() ? QDir::tempPath() : o.syncDir)
                          .filePath(QStringLiteral("zendalite-sync-XXXXXX")));
    fig.folder = QFileInfo(dir.path()).absolutePath();
    QFile file(dir.filePath(QStringLiteral("recording.csv")));
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        problems->append(QStringLiteral("record-sync: cannot write in %1").arg(fig.folder));
        fig.ok = false;
        return fig;
    }
    file.write(zcore::recordingHeaderLine());
    file.flush();
    filesync::syncToDisk(file);

    const QDateTime start = QDateTime::currentDateTime();
    qint64 elapsedMs = 0;
    quint64 next = 0;
    for (int sync = 0; sync < o.syncCount; ++sync) {
        const qint64 before = file.pos();
        for (int second = 0; second < kSecondsPerSync; ++second) {
            for (int f = 0; f < kFramesPerSecond; ++f) {
                zcore::RecordRow row;
                elapsedMs += 1000 / kFramesPerSecond;
                row.time = start.addMSecs(elapsedMs);
                row.elapsedMs = elapsedMs;
                row.payload = benchframes::payload(next++, 100);
                file.write(zcore::recordingLine(row));
            }
            file.flush();
        }
        fig.bytesPerSync = file.pos() - before;
        const double processorBefore = threadProcessorUs();
        const qint64 wallBefore = nowNs();
        const bool synced = filesync::syncToDisk(file);
        const qint64 wallAfter = nowNs();
        const double processorAfter = threadProcessorUs();
        if (!synced) {
            problems->append(QStringLiteral("record-sync: the sync failed in %1").arg(fig.folder));
            fig.ok = false;
            return fig;
        }
        fig.wallMs.push_back(msBetween(wallBefore, wallAfter));
        fig.processorUs.push_back(processorAfter - processorBefore);
    }
    return fig;
}

} // namespace programbench
