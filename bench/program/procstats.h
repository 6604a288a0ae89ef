// What /proc tells about a running program: its processor time, resident
// memory, wakeups, open descriptors and threads; and the machine's processor
// model for the report.
#pragma once

#include <QString>
#include <QtGlobal>

namespace programbench {

struct CpuTime {
    double statMs = 0;  // utime + stime, every thread, clock ticks
    double schedMs = 0; // sum of the live threads' run time, ns resolution
};

CpuTime cpuOf(qint64 pid);
qint64 rssKb(qint64 pid);
qint64 hwmKb(qint64 pid);
// Times the main thread went to sleep and was woken again (voluntary context
// switches; preemptions by other work on a busy machine are not counted).
qint64 wakeupsOf(qint64 pid);
// The descriptors the program holds open (entries of /proc/PID/fd) and its
// threads; -1 when the program is gone.
qint64 openDescriptors(qint64 pid);
qint64 threadsOf(qint64 pid);

// The X server of $DISPLAY when it is an Xvfb or Xorg of this machine; -1
// when there is none (Qt's offscreen platform) or it cannot be told.
qint64 xServerPid();

QString cpuModel();

} // namespace programbench
