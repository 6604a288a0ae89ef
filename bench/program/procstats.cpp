#include "procstats.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

#include <unistd.h>

namespace programbench {

namespace {

// The first number after `field` in /proc/PID/status, or -1.
qint64 statusField(qint64 pid, const char *field)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

CpuTime cpuOf(qint64 pid)
{
    CpuTime c;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> f = line.mid(close + 2).split(' ');
        // After the name: state is field 3, utime 14, stime 15.
        if (f.size() > 12) {
            const double tick = 1000.0 / double(::sysconf(_SC_CLK_TCK));
            c.statMs = double(f[11].toLongLong() + f[12].toLongLong()) * tick;
        }
    }
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile s(tasks.filePath(tid + QStringLiteral("/schedstat")));
        if (s.open(QIODevice::ReadOnly))
            c.schedMs += double(s.readAll().split(' ').value(0).toLongLong()) / 1e6;
    }
    return c;
}

qint64 rssKb(qint64 pid) { return statusField(pid, "VmRSS:"); }
qint64 hwmKb(qint64 pid) { return statusField(pid, "VmHWM:"); }
qint64 wakeupsOf(qint64 pid) { return statusField(pid, "voluntary_ctxt_switches:"); }
qint64 threadsOf(qint64 pid) { return statusField(pid, "Threads:"); }

qint64 openDescriptors(qint64 pid)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    if (!fds.exists())
        return -1;
    return fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
}

qint64 xServerPid()
{
    const QByteArray display = qgetenv("DISPLAY");
    if (!display.startsWith(':'))
        return -1;
    const QByteArray number = display.mid(1).split('.').value(0);
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile comm(proc.filePath(entry + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        const QByteArray name = comm.readAll().trimmed();
        if (name != "Xvfb" && name != "Xorg")
            continue;
        QFile cmdline(proc.filePath(entry + QStringLiteral("/cmdline")));
        if (cmdline.open(QIODevice::ReadOnly) &&
            cmdline.readAll().split('\0').contains(':' + number))
            return pid;
    }
    return -1;
}

QString cpuModel()
{
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
    return QStringLiteral("unknown");
}

} // namespace programbench
