// Whole-program benchmark: starts the real `zendalite` (built beside this
// program) with its real timers, plays the unit itself on a pseudo-terminal of
// its own, and measures from outside what a technician would notice:
//
//   start-up   process start -> main window shown and port open (median, warm cache)
//   latency    a value the unit sends -> the same value on the window (p50/p95/max)
//   processor  receiving 10 frames/s (bytes handed over one by one, in 16 ms
//              chunks, or a frame at a time); idle with no unit (port closed;
//              port open but silent); with wakeups per second
//   command    processor over the ~200 ms of a band level send (two timed pauses)
//   memory     resident set at start and over an hour of frames (manual timers,
//              12000 poll cycles)
//
// The same start-up, idle processor and memory figures are taken of an empty
// 800 x 600 Qt Widgets window (zendalite-floorwindow), so each reads as a
// ratio to the toolkit's floor; the floor with an empty 100 Hz timer gives
// the price of one wakeup on this machine. Prints one Markdown table.
//
//   zendalite-programbench [--platform offscreen|xcb] [--quick] [--only LIST]
//       [--runs N] [--samples N] [--cpu-seconds S] [--hour-cycles N]
//       [--trace] [--tool PATH] [--wrap 'CMD ARGS']
//
// Under X run it as `xvfb-run -a zendalite-programbench --platform xcb`.
// Processor time comes from /proc/PID/stat (utime + stime of every thread,
// 10 ms ticks) and, finer, from the sum of /proc/PID/task/*/schedstat (ns).
// --tool measures another build (to compare a change), --wrap runs the tool
// under a profiler (bench/profile.sh), --trace prints what each accepted poll
// showed during the latency test. Progress goes to stderr; "window opens" and
// "window closes" mark each measuring window.

#include "benchframes.h"

#include "core/frame.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <numeric>
#include <optional>
#include <poll.h>
#include <random>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}
double msBetween(qint64 a, qint64 b) { return double(b - a) / 1e6; }
void sleepMs(double ms)
{
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}
void sleepUntilNs(qint64 ns)
{
    std::this_thread::sleep_until(Clock::time_point(std::chrono::nanoseconds(ns)));
}

void note(const QString &text)
{
    std::fprintf(stderr, "programbench: %s\n", qPrintable(text));
    std::fflush(stderr);
}

QString fmt(double v, int decimals = 1) { return QString::number(v, 'f', decimals); }

// ------------------------------------------------------------------ statistics

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const double rank = p / 100.0 * double(v.size() - 1);
    const size_t lo = size_t(std::floor(rank));
    const size_t hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (v[hi] - v[lo]) * (rank - double(lo));
}
double median(const std::vector<double> &v) { return percentile(v, 50); }

// ------------------------------------------------------------------- /proc

struct CpuTime {
    double statMs = 0;  // utime + stime, every thread, clock ticks
    double schedMs = 0; // sum of the live threads' run time, ns resolution
};

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
qint64 rssKb(qint64 pid) { return statusField(pid, "VmRSS:"); }
// Times the main thread went to sleep and was woken again (voluntary context
// switches; preemptions by other work on a busy machine are not counted).
qint64 wakeupsOf(qint64 pid) { return statusField(pid, "voluntary_ctxt_switches:"); }
qint64 hwmKb(qint64 pid) { return statusField(pid, "VmHWM:"); }

QString cpuModel()
{
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
    return QStringLiteral("unknown");
}

// ------------------------------------------------------------- the unit (pty)

// A pseudo-terminal in raw mode at 9600 baud whose device is published as a
// symbolic link; this side writes telemetry frames paced as the line would
// carry them (one byte every 1.04 ms) and reads the tool's commands.
class PtyUnit {
public:
    struct RxByte {
        qint64 atNs;
        unsigned char byte;
    };

    ~PtyUnit()
    {
        stopStream();
        stopReader();
        if (!m_link.isEmpty())
            ::unlink(QFile::encodeName(m_link).constData());
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }

    bool open(const QString &linkPath)
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return false;
        const char *name = ::ptsname(m_master);
        if (!name)
            return false;
        m_device = QString::fromLocal8Bit(name);
        // Held open here so the device lives while the tool opens and closes it.
        m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_slave < 0)
            return false;
        termios t{};
        if (::tcgetattr(m_slave, &t) != 0)
            return false;
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, B9600);
        ::cfsetospeed(&t, B9600);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        if (::tcsetattr(m_slave, TCSANOW, &t) != 0)
            return false;
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        ::unlink(QFile::encodeName(linkPath).constData());
        if (::symlink(name, QFile::encodeName(linkPath).constData()) != 0)
            return false;
        m_link = linkPath;
        return true;
    }

    QString device() const { return m_device; }

    // Writes now, without pacing (for the accelerated hour); false when the line is full.
    bool writeNow(const QByteArray &bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0) {
                done += n;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            return false;
        }
        return true;
    }

    // How the bytes of a frame reach the tool's side of the line.
    enum class Delivery {
        PerByte,   // each byte the moment the line has carried it (370 deliveries/s at 10 frames/s)
        Chunks16,  // every 16 ms, what has arrived since (a USB adapter's latency timer)
        WholeFrame // the 37 bytes at once when the frame has been carried
    };

    // Frames at `rate` a second (one every 100 ms at 10/s), each taking the
    // 38.5 ms a 9600 baud line needs. requestPhaseShift() delays the next
    // frame by 0..100 ms (then the stream goes on evenly), so that frames fall
    // at every position relative to the tool's 300 ms poll over many samples.
    void startStream(double rate, Delivery delivery)
    {
        stopStream();
        m_stopWriter = false;
        m_writer = std::thread([this, rate, delivery] { writerLoop(rate, delivery); });
    }

    void requestPhaseShift() { m_shift.store(true); }

    void stopStream()
    {
        m_stopWriter = true;
        if (m_writer.joinable())
            m_writer.join();
    }

    void setLevel(int level) { m_level.store(level); }
    int changes() const { return m_changes.load(); }
    qint64 changeStartNs() const { return m_changeAtNs.load(); }
    quint64 framesSent() const { return m_framesSent.load(); }

    // The recent frames (for --trace): number, start, band level, debug line.
    struct SentFrame {
        quint64 k;
        qint64 startNs;
        int level;
        QString diagnostic;
    };
    void keepLog(bool keep) { m_keepLog = keep; }
    std::optional<SentFrame> sentFrame(const QString &diagnostic)
    {
        std::lock_guard<std::mutex> lock(m_logMutex);
        for (auto it = m_log.rbegin(); it != m_log.rend(); ++it)
            if (it->diagnostic == diagnostic)
                return *it;
        return std::nullopt;
    }
    quint64 bytesDropped() const { return m_dropped.load(); }

    void startReader()
    {
        m_stopReader = false;
        m_reader = std::thread([this] { readerLoop(); });
    }
    void stopReader()
    {
        m_stopReader = true;
        if (m_reader.joinable())
            m_reader.join();
    }
    std::vector<RxByte> takeReceived()
    {
        std::lock_guard<std::mutex> lock(m_rxMutex);
        std::vector<RxByte> out;
        out.swap(m_rx);
        return out;
    }

private:
    void writerLoop(double rate, Delivery delivery)
    {
        const qint64 period = qint64(1e9 / rate);
        const double byteNs = 1e9 / benchframes::kLineBytesPerSecond;
        const qint64 chunkNs = 16'000'000;
        std::mt19937 rng(4242);
        std::uniform_int_distribution<qint64> phase(0, 100'000'000);
        const qint64 epoch = nowNs();
        qint64 next = epoch + 20'000'000;
        int lastLevel = m_level.load();
        quint64 k = 0;
        while (!m_stopWriter) {
            if (m_shift.exchange(false))
                next += phase(rng);
            sleepUntilNs(next);
            const int level = m_level.load();
            const QByteArray frame = benchframes::frame(k++, level);
            const qint64 start = nowNs();
            if (level != lastLevel) {
                // Stored before the first byte goes, so a reader never sees the
                // new value on the window before it sees when it was sent.
                m_changeAtNs.store(start);
                m_changes.fetch_add(1);
                lastLevel = level;
            }
            // When each byte has fully crossed the line.
            auto arrived = [&](qsizetype i) { return start + qint64(double(i + 1) * byteNs); };
            qsizetype i = 0;
            while (i < frame.size()) {
                qsizetype j = i + 1;
                qint64 at = arrived(i);
                if (delivery == Delivery::WholeFrame) {
                    j = frame.size();
                    at = arrived(j - 1);
                } else if (delivery == Delivery::Chunks16) {
                    auto boundary = [&](qint64 t) {
                        return epoch + ((t - epoch + chunkNs - 1) / chunkNs) * chunkNs;
                    };
                    at = boundary(arrived(i));
                    while (j < frame.size() && boundary(arrived(j)) == at)
                        ++j;
                }
                sleepUntilNs(at);
                const ssize_t n = ::write(m_master, frame.constData() + i, size_t(j - i));
                if (n != j - i)
                    m_dropped.fetch_add(quint64(j - i - std::max<ssize_t>(n, 0)));
                i = j;
            }
            m_framesSent.fetch_add(1);
            if (m_keepLog) {
                std::lock_guard<std::mutex> lock(m_logMutex);
                m_log.push_back({k - 1, start, level, zcore::diagnosticLine(frame.mid(3))});
                if (m_log.size() > 200)
                    m_log.erase(m_log.begin(), m_log.begin() + 100);
            }
            next += period;
            const qint64 now = nowNs();
            if (next < now - period)
                next = now; // fell far behind (machine busy): no burst to catch up
        }
    }

    void readerLoop()
    {
        while (!m_stopReader) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            unsigned char buf[256];
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0)
                continue;
            const qint64 at = nowNs();
            std::lock_guard<std::mutex> lock(m_rxMutex);
            for (ssize_t i = 0; i < n; ++i)
                m_rx.push_back({at, buf[i]});
        }
    }

    int m_master = -1;
    int m_slave = -1;
    QString m_device;
    QString m_link;
    std::thread m_writer;
    std::thread m_reader;
    std::atomic<bool> m_stopWriter{false};
    std::atomic<bool> m_stopReader{false};
    std::atomic<bool> m_shift{false};
    std::atomic<int> m_level{100};
    std::atomic<int> m_changes{0};
    std::atomic<qint64> m_changeAtNs{0};
    std::atomic<quint64> m_framesSent{0};
    std::atomic<quint64> m_dropped{0};
    std::mutex m_rxMutex;
    std::vector<RxByte> m_rx;
    std::atomic<bool> m_keepLog{false};
    std::mutex m_logMutex;
    std::vector<SentFrame> m_log;
};

// --------------------------------------------------------- the program driven

// --wrap: a command the tool runs under (a profiler); timeouts grow to match.
QStringList g_wrap;

// Under a profiler, the tool lives on a moment after a window closes, so that
// a script watching the marks can still ask it for its counters.
void lingerForProfiler()
{
    if (!g_wrap.isEmpty())
        sleepMs(3000);
}
int g_timeoutScale = 1;
QString kTool = QStringLiteral(ZENDALITE_BIN); // --tool: another build, for comparisons
const QString kFloor = QStringLiteral(ZENDALITE_FLOOR_BIN);

class Program {
public:
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    // A configuration folder (XDG_CONFIG_HOME) whose port file names port 1
    // and whose port 1 is `device` (which need not exist).
    bool prepareConfig(const QString &device)
    {
        const QDir dir(m_config.filePath(QStringLiteral("zendalite")));
        if (!dir.mkpath(QStringLiteral("ports")))
            return false;
        const QString com1 = dir.filePath(QStringLiteral("ports/com1"));
        QFile::remove(com1);
        if (!device.isEmpty() && !QFile::link(device, com1))
            return false;
        QFile ini(dir.filePath(QStringLiteral("Ecu.ini")));
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        ini.write("\"Com-1\"\r\n");
        return true;
    }
    QString com1Path() const { return m_config.filePath(QStringLiteral("zendalite/ports/com1")); }

    bool start(const QString &binary, const QStringList &args, const QString &platform)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        m_process.setProcessEnvironment(env);
        if (!g_wrap.isEmpty() && binary == kTool) {
            m_process.setProgram(g_wrap.first());
            m_process.setArguments(g_wrap.mid(1) + QStringList{binary} + args);
        } else {
            m_process.setProgram(binary);
            m_process.setArguments(args);
        }
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.setStandardErrorFile(m_config.filePath(QStringLiteral("stderr.txt")));
        m_startedNs = nowNs();
        m_process.start();
        return m_process.waitForStarted(10000);
    }

    qint64 startedNs() const { return m_startedNs; }
    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }

    QJsonObject request(const QJsonObject &req, int timeoutMs = 20000)
    {
        m_process.write(QJsonDocument(req).toJson(QJsonDocument::Compact) + '\n');
        const qint64 deadline = nowNs() + qint64(timeoutMs) * g_timeoutScale * 1'000'000;
        while (nowNs() < deadline) {
            const qsizetype nl = m_buffer.indexOf('\n');
            if (nl >= 0) {
                const QByteArray line = m_buffer.left(nl);
                m_buffer.remove(0, nl + 1);
                return QJsonDocument::fromJson(line).object();
            }
            if (m_process.state() != QProcess::Running)
                break;
            m_process.waitForReadyRead(20);
            m_buffer.append(m_process.readAllStandardOutput());
        }
        return {{QStringLiteral("ok"), false},
                {QStringLiteral("error"), QStringLiteral("no reply")}};
    }

    QJsonObject op(const QString &name, QJsonObject fields = {}, int timeoutMs = 20000)
    {
        fields.insert(QStringLiteral("op"), name);
        return request(fields, timeoutMs);
    }

    bool quit()
    {
        if (m_process.state() != QProcess::Running)
            return false;
        op(QStringLiteral("quit"), {}, 5000);
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
            return false;
        }
        return m_process.exitStatus() == QProcess::NormalExit;
    }

    QString stderrText() const
    {
        QFile f(m_config.filePath(QStringLiteral("stderr.txt")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private:
    QTemporaryDir m_config;
    QProcess m_process;
    QByteArray m_buffer;
    qint64 m_startedNs = 0;
};

bool mainVisible(const QJsonObject &s)
{
    return s.value(QStringLiteral("windows"))
        .toObject()
        .value(QStringLiteral("main"))
        .toObject()
        .value(QStringLiteral("visible"))
        .toBool();
}
bool portOpen(const QJsonObject &s)
{
    return s.value(QStringLiteral("elements"))
        .toObject()
        .value(QStringLiteral("MSComm1"))
        .toObject()
        .value(QStringLiteral("open"))
        .toBool();
}
QJsonObject element(const QJsonObject &s, const QString &name)
{
    return s.value(QStringLiteral("elements")).toObject().value(name).toObject();
}
QString textOf(const QJsonObject &s, const QString &name)
{
    return element(s, name).value(QStringLiteral("text")).toString();
}
QString sharedOf(const QJsonObject &s, const QString &name)
{
    return s.value(QStringLiteral("shared")).toObject().value(name).toVariant().toString();
}

// ------------------------------------------------------------------ options

struct Options {
    QString platform = QStringLiteral("offscreen");
    int runs = 10;          // start-up runs (plus one to warm the cache)
    int samples = 60;       // latency samples
    double cpuSeconds = 30; // each processor window
    int hourCycles = 12000; // Timer2 ticks of the accelerated hour
    int sends = 5;          // band level sends measured
    QStringList only;       // empty: everything
    bool trace = false;     // latency: print what every accepted poll showed
    bool wants(const char *part) const
    {
        return only.isEmpty() || only.contains(QLatin1String(part));
    }
};

// ------------------------------------------------------------------ start-up

struct StartFigure {
    std::vector<double> ms;
    std::vector<double> rssKb;
    bool ok = true;
};

// Time from process start until the first reply that shows the window shown
// (and, for the tool, the port open); requests go out as soon as it runs.
StartFigure measureStart(const Options &o, bool tool, QStringList *problems)
{
    StartFigure fig;
    for (int run = 0; run <= o.runs; ++run) { // run 0 warms the cache
        QTemporaryDir linkDir;
        PtyUnit unit;
        Program p;
        if (tool) {
            const QString link = linkDir.filePath(QStringLiteral("unit"));
            if (!unit.open(link) || !p.prepareConfig(link)) {
                problems->append(QStringLiteral("start-up: cannot make the pseudo-terminal"));
                fig.ok = false;
                return fig;
            }
        }
        if (!p.start(tool ? kTool : kFloor,
                     tool ? QStringList{QStringLiteral("--automation")} : QStringList{},
                     o.platform)) {
            problems->append(QStringLiteral("start-up: the program did not start"));
            fig.ok = false;
            return fig;
        }
        double ms = -1;
        for (int attempt = 0; attempt < 2000; ++attempt) {
            const QJsonObject s = p.op(QStringLiteral("state"));
            if (!s.value(QStringLiteral("ok")).toBool())
                break;
            if (mainVisible(s) && (!tool || portOpen(s))) {
                ms = msBetween(p.startedNs(), nowNs());
                break;
            }
            sleepMs(1);
        }
        if (ms < 0) {
            problems->append(QStringLiteral("start-up: %1 never showed %2 (%3)")
                                 .arg(tool ? QStringLiteral("zendalite") : QStringLiteral("floor"),
                                      tool ? QStringLiteral("its window and open port")
                                           : QStringLiteral("its window"),
                                      p.stderrText().trimmed().left(300)));
            fig.ok = false;
            return fig;
        }
        if (run > 0) {
            fig.ms.push_back(ms);
            fig.rssKb.push_back(double(rssKb(p.pid())));
        }
        p.quit();
    }
    return fig;
}

// One measuring session: the unit on its own pseudo-terminal, linked where
// the tool's port file points, and the tool itself.
struct Session {
    QTemporaryDir linkDir;
    PtyUnit unit;
    Program p;

    // Makes the pseudo-terminal and the port file; says why not on failure.
    bool connect(const QString &what, QStringList *problems)
    {
        const QString link = linkDir.filePath(QStringLiteral("unit"));
        if (unit.open(link) && p.prepareConfig(link))
            return true;
        problems->append(what + QStringLiteral(": cannot make the pseudo-terminal"));
        return false;
    }

    // Starts zendalite with --automation and any further arguments.
    bool startTool(const Options &o, const QString &what, QStringList *problems,
                   const QStringList &more = {})
    {
        if (p.start(kTool, QStringList{QStringLiteral("--automation")} + more, o.platform))
            return true;
        problems->append(what + QStringLiteral(": zendalite did not start"));
        return false;
    }
};

// ------------------------------------------------------------------ latency

struct LatencyFigure {
    std::vector<double> fromFirstByteMs;
    int missed = 0;
    double pollEveryMs = 5;
    double pollCostMs = 0; // median round trip of a state request
    quint64 dropped = 0;
    bool ok = true;
};

LatencyFigure measureLatency(const Options &o, QStringList *problems)
{
    LatencyFigure fig;
    Session session;
    PtyUnit &unit = session.unit;
    Program &p = session.p;
    if (!session.connect(QStringLiteral("latency"), problems)) {
        fig.ok = false;
        return fig;
    }
    int level = 100;
    unit.setLevel(level);
    unit.keepLog(o.trace);
    unit.startStream(10, PtyUnit::Delivery::PerByte);
    if (!session.startTool(o, QStringLiteral("latency"), problems)) {
        fig.ok = false;
        return fig;
    }
    // The first frame on the window.
    bool shown = false;
    for (int i = 0; i < 100 && !shown; ++i) {
        shown =
            textOf(p.op(QStringLiteral("state")), QStringLiteral("ca1")) == QString::number(level);
        if (!shown)
            sleepMs(50);
    }
    if (!shown) {
        problems->append(QStringLiteral("latency: no frame reached the window in 5 s"));
        fig.ok = false;
        return fig;
    }

    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> levels(20, 250);
    std::uniform_int_distribution<int> pauseMs(0, 300);
    std::vector<double> roundTrips;
    const qint64 traceZero = nowNs();
    QString lastDebug;
    for (int sample = 0; sample < o.samples; ++sample) {
        int next = level;
        while (next == level)
            next = levels(rng);
        // A new phase, then a few even frames, then the change at a frame's start.
        unit.requestPhaseShift();
        sleepMs(350 + pauseMs(rng));
        const int changesBefore = unit.changes();
        unit.setLevel(next);
        const QString want = QString::number(next);
        const qint64 limit = nowNs() + 2'000'000'000;
        qint64 seenNs = 0;
        while (nowNs() < limit) {
            const qint64 sent = nowNs();
            const QJsonObject s = p.op(QStringLiteral("state"));
            const qint64 got = nowNs();
            roundTrips.push_back(msBetween(sent, got));
            if (o.trace) {
                const QString debug = textOf(s, QStringLiteral("DebugX"));
                if (debug != lastDebug) {
                    lastDebug = debug;
                    const auto f = unit.sentFrame(debug);
                    if (f)
                        note(QStringLiteral("trace: poll seen at %1 ms shows frame %2 (level %3), "
                                            "sent at %4 ms: %5 ms old")
                                 .arg(fmt(msBetween(traceZero, got), 0))
                                 .arg(f->k)
                                 .arg(f->level)
                                 .arg(fmt(msBetween(traceZero, f->startNs), 0),
                                      fmt(msBetween(f->startNs, got), 0)));
                    else
                        note(QStringLiteral("trace: poll seen at %1 ms shows an unknown frame")
                                 .arg(fmt(msBetween(traceZero, got), 0)));
                }
            }
            if (textOf(s, QStringLiteral("ca1")) == want) {
                seenNs = got;
                break;
            }
            sleepUntilNs(sent + qint64(fig.pollEveryMs * 1e6));
        }
        if (o.trace)
            note(
                QStringLiteral("trace: level %1 in the frame sent at %2 ms, on the window at %3 ms")
                    .arg(next)
                    .arg(fmt(msBetween(traceZero, unit.changeStartNs()), 0),
                         seenNs ? fmt(msBetween(traceZero, seenNs), 0) : QStringLiteral("never")));
        if (seenNs == 0 || unit.changes() == changesBefore) {
            ++fig.missed;
        } else {
            fig.fromFirstByteMs.push_back(msBetween(unit.changeStartNs(), seenNs));
        }
        level = next;
    }
    fig.pollCostMs = median(roundTrips);
    unit.stopStream();
    fig.dropped = unit.bytesDropped();
    p.quit();
    return fig;
}

// ------------------------------------------------------------------ processor

struct CpuFigure {
    double percent = NAN;      // from /proc/PID/stat
    double schedPercent = NAN; // from schedstat
    double seconds = 0;
    qint64 rssKb = -1;
    double wakeupsPerSecond = NAN; // voluntary context switches of the main thread
    QString check;                 // what the session verified
    bool ok = true;
};

enum class Idle {
    FramesPerByte,
    FramesChunks,
    FramesWhole,
    PortClosed,
    PortSilent,
    Floor,
    FloorTimer
};

bool receives(Idle k)
{
    return k == Idle::FramesPerByte || k == Idle::FramesChunks || k == Idle::FramesWhole;
}

CpuFigure measureCpu(const Options &o, Idle kind, QStringList *problems)
{
    CpuFigure fig;
    QTemporaryDir linkDir;
    const QString link = linkDir.filePath(QStringLiteral("unit"));
    PtyUnit unit;
    Program p;
    const bool tool = kind != Idle::Floor && kind != Idle::FloorTimer;
    QString what;
    switch (kind) {
    case Idle::FramesPerByte:
        what = QStringLiteral("10 frames/s, byte by byte");
        break;
    case Idle::FramesChunks:
        what = QStringLiteral("10 frames/s, 16 ms chunks");
        break;
    case Idle::FramesWhole:
        what = QStringLiteral("10 frames/s, whole frames");
        break;
    case Idle::PortClosed:
        what = QStringLiteral("idle, port closed");
        break;
    case Idle::PortSilent:
        what = QStringLiteral("idle, port open, silent");
        break;
    case Idle::Floor:
        what = QStringLiteral("floor window idle");
        break;
    case Idle::FloorTimer:
        what = QStringLiteral("floor window, empty 100 Hz timer");
        break;
    }
    if (receives(kind) || kind == Idle::PortSilent) {
        if (!unit.open(link) || !p.prepareConfig(link)) {
            problems->append(what + QStringLiteral(": cannot make the pseudo-terminal"));
            fig.ok = false;
            return fig;
        }
        if (kind == Idle::FramesPerByte)
            unit.startStream(10, PtyUnit::Delivery::PerByte);
        else if (kind == Idle::FramesChunks)
            unit.startStream(10, PtyUnit::Delivery::Chunks16);
        else if (kind == Idle::FramesWhole)
            unit.startStream(10, PtyUnit::Delivery::WholeFrame);
    } else if (kind == Idle::PortClosed) {
        // Port 1 names a device that does not exist: the port stays closed.
        p.prepareConfig(linkDir.filePath(QStringLiteral("no-such-device")));
    }
    const QStringList args = tool ? QStringList{QStringLiteral("--automation")}
                             : kind == Idle::FloorTimer
                                 ? QStringList{QStringLiteral("--timer-hz"), QStringLiteral("100")}
                                 : QStringList{};
    if (!p.start(tool ? kTool : kFloor, args, o.platform)) {
        problems->append(what + QStringLiteral(": the program did not start"));
        fig.ok = false;
        return fig;
    }
    // Up and in the intended state before the window opens.
    bool ready = false;
    QJsonObject s;
    for (int i = 0; i < 100 && !ready; ++i) {
        s = p.op(QStringLiteral("state"));
        switch (kind) {
        case Idle::FramesPerByte:
        case Idle::FramesChunks:
        case Idle::FramesWhole:
            ready = portOpen(s) && textOf(s, QStringLiteral("DebugX")).contains(QLatin1Char('-'));
            break;
        case Idle::PortSilent:
            ready = portOpen(s) && mainVisible(s);
            break;
        case Idle::PortClosed:
            ready = !portOpen(s) &&
                    element(s, QStringLiteral("Text1")).value(QStringLiteral("visible")).toBool();
            ready = ready && !mainVisible(s);
            break;
        case Idle::Floor:
        case Idle::FloorTimer:
            ready = mainVisible(s);
            break;
        }
        if (!ready)
            sleepMs(50);
    }
    if (!ready) {
        problems->append(what + QStringLiteral(": did not reach its state in 5 s (%1)")
                                    .arg(p.stderrText().trimmed().left(300)));
        fig.ok = false;
        return fig;
    }
    const QString debugBefore = textOf(s, QStringLiteral("DebugX"));
    // Settle: start-up work, and the animation's first pass that decodes its
    // frames (4.5 s), are not idle work.
    sleepMs(5000);
    note(QStringLiteral("window opens: %1 (pid %2)").arg(what).arg(p.pid()));
    const CpuTime c0 = cpuOf(p.pid());
    const qint64 w0 = wakeupsOf(p.pid());
    const qint64 t0 = nowNs();
    sleepMs(o.cpuSeconds * 1000);
    const CpuTime c1 = cpuOf(p.pid());
    const qint64 w1 = wakeupsOf(p.pid());
    const qint64 t1 = nowNs();
    note(QStringLiteral("window closes: %1 (pid %2)").arg(what).arg(p.pid()));
    lingerForProfiler();
    fig.wakeupsPerSecond = double(w1 - w0) / (msBetween(t0, t1) / 1000);
    fig.seconds = msBetween(t0, t1) / 1000;
    fig.percent = 100.0 * (c1.statMs - c0.statMs) / msBetween(t0, t1);
    fig.schedPercent = 100.0 * (c1.schedMs - c0.schedMs) / msBetween(t0, t1);
    fig.rssKb = rssKb(p.pid());

    s = p.op(QStringLiteral("state"));
    switch (kind) {
    case Idle::FramesPerByte:
    case Idle::FramesChunks:
    case Idle::FramesWhole: {
        const QString after = textOf(s, QStringLiteral("DebugX"));
        const bool moving = after != debugBefore && after.contains(QLatin1Char('-'));
        fig.check =
            QStringLiteral("frames accepted throughout (status \"%1\", debug line moved: %2, "
                           "%3 frames sent, %4 bytes dropped)")
                .arg(sharedOf(s, QStringLiteral("linkStatus")),
                     moving ? QStringLiteral("yes") : QStringLiteral("NO"))
                .arg(unit.framesSent())
                .arg(unit.bytesDropped());
        if (!moving)
            problems->append(what + QStringLiteral(": the debug line did not move"));
        break;
    }
    case Idle::PortSilent:
        fig.check = QStringLiteral("port open, nothing received; window title now \"%1\"")
                        .arg(s.value(QStringLiteral("windows"))
                                 .toObject()
                                 .value(QStringLiteral("main"))
                                 .toObject()
                                 .value(QStringLiteral("title"))
                                 .toString());
        break;
    case Idle::PortClosed:
        fig.check = QStringLiteral("port closed, \"Com\" dialog shown, main window hidden");
        break;
    case Idle::Floor:
        fig.check = QStringLiteral("empty window shown");
        break;
    case Idle::FloorTimer:
        fig.check = QStringLiteral("empty window shown, empty timer at 100 Hz");
        break;
    }
    unit.stopStream();
    p.quit();
    return fig;
}

// ------------------------------------------------------------------ command

struct CommandFigure {
    std::vector<double> cpuMs;     // schedstat, over the Enter that sends
    std::vector<double> wallMs;    // the request's round trip
    std::vector<double> idleCpuMs; // schedstat, over an idle `wait` of 200 ms
    std::vector<double> gapsMs;    // between the command's bytes at the unit
    int framesOk = 0;
    bool ok = true;
};

CommandFigure measureCommand(const Options &o, QStringList *problems)
{
    CommandFigure fig;
    Session session;
    PtyUnit &unit = session.unit;
    Program &p = session.p;
    if (!session.connect(QStringLiteral("command"), problems)) {
        fig.ok = false;
        return fig;
    }
    unit.startReader();
    if (!session.startTool(o, QStringLiteral("command"), problems)) {
        fig.ok = false;
        return fig;
    }
    bool ready = false;
    for (int i = 0; i < 100 && !ready; ++i) {
        const QJsonObject s = p.op(QStringLiteral("state"));
        ready = portOpen(s) && mainVisible(s);
        if (!ready)
            sleepMs(50);
    }
    if (!ready) {
        problems->append(QStringLiteral("command: the port did not open"));
        fig.ok = false;
        return fig;
    }
    const QString box = QStringLiteral("SetBox");
    for (int send = 0; send < o.sends; ++send) {
        const int value = 50 + send;
        bool good =
            p.op(QStringLiteral("click"), {{QStringLiteral("target"), QStringLiteral("ca1")}})
                .value(QStringLiteral("ok"))
                .toBool();
        for (int i = 0; i < 6 && good; ++i)
            good = p.op(QStringLiteral("key"),
                        {{QStringLiteral("target"), box}, {QStringLiteral("code"), 8}})
                       .value(QStringLiteral("ok"))
                       .toBool();
        good =
            good && p.op(QStringLiteral("type"), {{QStringLiteral("target"), box},
                                                  {QStringLiteral("text"), QString::number(value)}})
                        .value(QStringLiteral("ok"))
                        .toBool();
        if (!good) {
            problems->append(QStringLiteral("command: could not type into the band box"));
            fig.ok = false;
            break;
        }
        p.op(QStringLiteral("wait"), {{QStringLiteral("ms"), 100}});
        unit.takeReceived();

        // The comparison: the same tool doing nothing for 200 ms.
        CpuTime c0 = cpuOf(p.pid());
        p.op(QStringLiteral("wait"), {{QStringLiteral("ms"), 200}});
        CpuTime c1 = cpuOf(p.pid());
        fig.idleCpuMs.push_back(c1.schedMs - c0.schedMs);

        c0 = cpuOf(p.pid());
        const qint64 t0 = nowNs();
        const QJsonObject r = p.op(QStringLiteral("key"),
                                   {{QStringLiteral("target"), box}, {QStringLiteral("code"), 13}});
        const qint64 t1 = nowNs();
        c1 = cpuOf(p.pid());
        if (!r.value(QStringLiteral("ok")).toBool()) {
            problems->append(QStringLiteral("command: Enter was refused"));
            fig.ok = false;
            break;
        }
        fig.cpuMs.push_back(c1.schedMs - c0.schedMs);
        fig.wallMs.push_back(msBetween(t0, t1));
        sleepMs(100);
        const auto rx = unit.takeReceived();
        if (rx.size() == 3 && rx[0].byte == 0xA4 && rx[1].byte == 0 && rx[2].byte == value) {
            ++fig.framesOk;
            fig.gapsMs.push_back(msBetween(rx[0].atNs, rx[1].atNs));
            fig.gapsMs.push_back(msBetween(rx[1].atNs, rx[2].atNs));
        } else {
            problems->append(QStringLiteral("command: the unit got %1 bytes, not A4 00 %2")
                                 .arg(rx.size())
                                 .arg(value, 2, 16, QLatin1Char('0')));
        }
    }
    unit.stopReader();
    p.quit();
    return fig;
}

// ------------------------------------------------------------------ the hour

struct HourFigure {
    struct Sample {
        double minute;
        qint64 rssKb;
    };
    std::vector<Sample> samples;
    qint64 startRssKb = -1;
    qint64 hwmKb = -1;
    int cycles = 0;
    int checks = 0;
    int checksOk = 0;
    double wallSeconds = 0;
    double cpuMsPerCycle = 0;
    bool ok = true;
};

// An hour of the window's life in fast time: manual timers, and for each poll
// the 300 ms of frames the unit would have sent (three frames, 111 bytes), then
// one Timer2 tick; per 3 s also 6 Timer1, 6 Timer3, 3 Timer4 and 30 SensorX ticks.
HourFigure measureHour(const Options &o, QStringList *problems)
{
    HourFigure fig;
    Session session;
    PtyUnit &unit = session.unit;
    Program &p = session.p;
    if (!session.connect(QStringLiteral("hour"), problems)) {
        fig.ok = false;
        return fig;
    }
    if (!session.startTool(o, QStringLiteral("hour"), problems,
                           {QStringLiteral("--manual-timers")})) {
        fig.ok = false;
        return fig;
    }
    QJsonObject s = p.op(QStringLiteral("state"));
    if (!portOpen(s) || !mainVisible(s)) {
        problems->append(QStringLiteral("hour: the port did not open"));
        fig.ok = false;
        return fig;
    }
    p.op(QStringLiteral("wait"), {{QStringLiteral("ms"), 1000}});
    fig.startRssKb = rssKb(p.pid());
    fig.samples.push_back({0, fig.startRssKb});

    auto tick = [&p](const char *timer, int count) {
        return p
            .op(QStringLiteral("tick"),
                {{QStringLiteral("timer"), QLatin1String(timer)}, {QStringLiteral("count"), count}})
            .value(QStringLiteral("fired"))
            .toInt(-1);
    };

    note(QStringLiteral("window opens: hour (pid %1)").arg(p.pid()));
    const CpuTime c0 = cpuOf(p.pid());
    const qint64 t0 = nowNs();
    quint64 k = 0;
    const int blocks = o.hourCycles / 10;                 // 3 s each
    const int blocksPerSample = std::max(1, blocks / 12); // every 5 minutes of an hour
    for (int block = 1; block <= blocks; ++block) {
        QByteArray firstPayload;
        for (int poll = 0; poll < 10; ++poll) {
            QByteArray line;
            firstPayload = benchframes::payload(k, 100 + int(block % 50));
            for (int f = 0; f < 3; ++f)
                line += benchframes::frame(k + quint64(f), 100 + int(block % 50));
            k += 3;
            unit.writeNow(line);
            if (tick("Timer2", 1) != 1) {
                problems->append(QStringLiteral("hour: Timer2 did not tick"));
                fig.ok = false;
                return fig;
            }
            ++fig.cycles;
        }
        tick("Timer1", 6);
        tick("Timer3", 6);
        tick("Timer4", 3);
        tick("SensorX", 30);
        if (block % blocksPerSample == 0 || block == blocks) {
            s = p.op(QStringLiteral("state"));
            ++fig.checks;
            // The last poll took the first of its three frames.
            if (textOf(s, QStringLiteral("DebugX")) == zcore::diagnosticLine(firstPayload))
                ++fig.checksOk;
            fig.samples.push_back({double(block) * 3.0 / 60.0, rssKb(p.pid())});
            note(QStringLiteral("hour: %1 min, RSS %2 kB")
                     .arg(fig.samples.back().minute)
                     .arg(fig.samples.back().rssKb));
        }
    }
    const CpuTime c1 = cpuOf(p.pid());
    note(QStringLiteral("window closes: hour (pid %1)").arg(p.pid()));
    lingerForProfiler();
    fig.wallSeconds = msBetween(t0, nowNs()) / 1000;
    fig.cpuMsPerCycle = (c1.statMs - c0.statMs) / std::max(1, fig.cycles);
    fig.hwmKb = hwmKb(p.pid());
    p.quit();
    return fig;
}

// ------------------------------------------------------------------ the table

QString mb(double kb) { return fmt(kb / 1024.0, 1) + QStringLiteral(" MB"); }
QString ratio(double a, double b)
{
    if (!(b > 0) || std::isnan(a))
        return QStringLiteral("–");
    return fmt(a / b, 1) + QStringLiteral("×");
}
QString verdict(bool ok) { return ok ? QStringLiteral("**met**") : QStringLiteral("**NOT met**"); }

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Options o;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        auto value = [&]() { return i + 1 < args.size() ? args[++i] : QString(); };
        if (a == QLatin1String("--platform"))
            o.platform = value();
        else if (a == QLatin1String("--runs"))
            o.runs = value().toInt();
        else if (a == QLatin1String("--samples"))
            o.samples = value().toInt();
        else if (a == QLatin1String("--cpu-seconds"))
            o.cpuSeconds = value().toDouble();
        else if (a == QLatin1String("--hour-cycles"))
            o.hourCycles = value().toInt();
        else if (a == QLatin1String("--wrap")) {
            g_wrap = QProcess::splitCommand(value());
            g_timeoutScale = 20;
        } else if (a == QLatin1String("--tool"))
            kTool = value();
        else if (a == QLatin1String("--trace"))
            o.trace = true;
        else if (a == QLatin1String("--only"))
            o.only = value().split(QLatin1Char(','), Qt::SkipEmptyParts);
        else if (a == QLatin1String("--quick")) {
            o.runs = 5;
            o.samples = 20;
            o.cpuSeconds = 8;
            o.hourCycles = 1200;
            o.sends = 3;
        } else {
            std::fprintf(
                stderr,
                "usage: zendalite-programbench [--platform offscreen|xcb] [--quick]\n"
                "       [--only startup,latency,cpu,command,hour] [--runs N] [--samples N]\n"
                "       (cpu parts: "
                "cpu-floor,cpu-bytes,cpu-chunks,cpu-whole,cpu-closed,cpu-silent,\n"
                "        cpu-floor-timer)\n"
                "       [--cpu-seconds S] [--hour-cycles N] [--trace] [--wrap 'CMD ARGS']\n"
                "       [--tool PATH]   (another zendalite build, for comparisons)\n");
            return 2;
        }
    }
    if (o.platform == QLatin1String("xcb") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr,
                     "programbench: --platform xcb needs an X display (run under xvfb-run -a)\n");
        return 2;
    }

    QStringList problems;
    QStringList rows;
    QStringList notes;
    auto row = [&rows](const QString &figure, const QString &target, const QString &tool,
                       const QString &floor, const QString &r, const QString &v) {
        rows.append(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 |")
                        .arg(figure, target, tool, floor, r, v));
    };

    StartFigure toolStart, floorStart;
    if (o.wants("startup")) {
        note(
            QStringLiteral("start-up: %1 runs of each program (+1 to warm the cache)").arg(o.runs));
        toolStart = measureStart(o, true, &problems);
        floorStart = measureStart(o, false, &problems);
        if (toolStart.ok && floorStart.ok) {
            const double t = median(toolStart.ms), f = median(floorStart.ms);
            row(QStringLiteral("start to window shown and port open, warm cache (median of %1)")
                    .arg(o.runs),
                QStringLiteral("< 300 ms"),
                QStringLiteral("%1 ms (%2–%3)")
                    .arg(fmt(t), fmt(*std::min_element(toolStart.ms.begin(), toolStart.ms.end())),
                         fmt(*std::max_element(toolStart.ms.begin(), toolStart.ms.end()))),
                QStringLiteral("%1 ms").arg(fmt(f)), ratio(t, f), verdict(t < 300));
        }
    }

    if (o.wants("latency")) {
        note(QStringLiteral("latency: %1 changes of band 0 at 10 frames/s").arg(o.samples));
        const LatencyFigure lat = measureLatency(o, &problems);
        if (lat.ok && !lat.fromFirstByteMs.empty()) {
            const double mx =
                *std::max_element(lat.fromFirstByteMs.begin(), lat.fromFirstByteMs.end());
            row(QStringLiteral(
                    "display latency, first byte of the frame → value on the window (n = %1%2)")
                    .arg(lat.fromFirstByteMs.size())
                    .arg(lat.missed ? QStringLiteral(", %1 missed").arg(lat.missed) : QString()),
                QStringLiteral("≤ 340 ms worst case"),
                QStringLiteral("p50 %1 / p95 %2 / max %3 ms")
                    .arg(fmt(median(lat.fromFirstByteMs), 0),
                         fmt(percentile(lat.fromFirstByteMs, 95), 0), fmt(mx, 0)),
                QStringLiteral("–"), QStringLiteral("–"), verdict(mx <= 340 && lat.missed == 0));
            notes.append(
                QStringLiteral(
                    "latency: the window was read every %1 ms with `state` (median round "
                    "trip %2 ms), so each figure is late by at most about %3 ms; min %4 ms; "
                    "bytes the line dropped: %5")
                    .arg(fmt(lat.pollEveryMs, 0), fmt(lat.pollCostMs, 2),
                         fmt(lat.pollEveryMs + lat.pollCostMs, 0),
                         fmt(*std::min_element(lat.fromFirstByteMs.begin(),
                                               lat.fromFirstByteMs.end()),
                             0))
                    .arg(lat.dropped));
        }
    }

    const bool anyCpu =
        o.wants("cpu") || std::any_of(o.only.begin(), o.only.end(), [](const QString &part) {
            return part.startsWith(QLatin1String("cpu-"));
        });
    if (anyCpu) {
        note(QStringLiteral("processor: windows of %1 s").arg(o.cpuSeconds));
        auto run = [&](Idle kind, const char *name) {
            if (!o.wants("cpu") && !o.wants(name)) {
                CpuFigure skipped;
                skipped.ok = false;
                return skipped;
            }
            note(QStringLiteral("processor: %1").arg(QLatin1String(name)));
            return measureCpu(o, kind, &problems);
        };
        const CpuFigure floor = run(Idle::Floor, "cpu-floor");
        const CpuFigure perByte = run(Idle::FramesPerByte, "cpu-bytes");
        const CpuFigure chunks = run(Idle::FramesChunks, "cpu-chunks");
        const CpuFigure whole = run(Idle::FramesWhole, "cpu-whole");
        const CpuFigure closed = run(Idle::PortClosed, "cpu-closed");
        const CpuFigure silent = run(Idle::PortSilent, "cpu-silent");
        const CpuFigure floorTimer = run(Idle::FloorTimer, "cpu-floor-timer");
        auto pct = [](const CpuFigure &c) {
            return QStringLiteral("%1 % (sched %2 %; %3 wakeups/s)")
                .arg(fmt(c.percent, 2), fmt(c.schedPercent, 3), fmt(c.wakeupsPerSecond, 0));
        };
        const QString floorText = floor.ok ? pct(floor) : QStringLiteral("–");
        auto cpuRow = [&](const CpuFigure &c, const QString &figure, const QString &target,
                          double limit) {
            if (c.ok)
                row(QStringLiteral("%1 (%2 s)").arg(figure, fmt(c.seconds, 0)), target, pct(c),
                    floorText, ratio(c.schedPercent, floor.schedPercent),
                    verdict(c.percent < limit));
        };
        cpuRow(chunks,
               QStringLiteral(
                   "processor while receiving 10 frames/s, bytes in 16 ms chunks (USB adapter)"),
               QStringLiteral("< 1 % of one core"), 1.0);
        cpuRow(whole,
               QStringLiteral("processor while receiving 10 frames/s, each frame in one piece"),
               QStringLiteral("< 1 % of one core"), 1.0);
        cpuRow(
            perByte,
            QStringLiteral("processor while receiving 10 frames/s, byte by byte (pty worst case)"),
            QStringLiteral("< 1 % of one core"), 1.0);
        cpuRow(closed, QStringLiteral("processor idle, no unit: port closed"),
               QStringLiteral("< 0.3 % of one core"), 0.3);
        cpuRow(silent, QStringLiteral("processor idle, no unit: port open, silent"),
               QStringLiteral("< 0.3 % of one core"), 0.3);
        if (silent.ok && floor.ok)
            row(QStringLiteral(
                    "resident memory after start (window shown, port open, 5 s + window)"),
                QStringLiteral("–"), mb(double(silent.rssKb)), mb(double(floor.rssKb)),
                ratio(double(silent.rssKb), double(floor.rssKb)), QStringLiteral("–"));
        for (const CpuFigure *c :
             {&chunks, &whole, &perByte, &closed, &silent, &floor, &floorTimer})
            if (c->ok)
                notes.append(QStringLiteral("processor check: %1").arg(c->check));
        if (floorTimer.ok && floor.ok && chunks.ok && whole.ok && perByte.ok && closed.ok &&
            silent.ok) {
            const double perWakeupUs =
                (floorTimer.schedPercent - floor.schedPercent) / 100.0 * 1e6 /
                std::max(1.0, floorTimer.wakeupsPerSecond - floor.wakeupsPerSecond);
            notes.append(QStringLiteral(
                             "one empty wakeup of an idle Qt program costs %1 µs of processor here "
                             "(floor window with an empty 100 Hz timer: %2); at that price the "
                             "tool's wakeups alone come to: frames 16 ms chunks %3 %, whole frames "
                             "%4 %, byte by byte %5 %, port closed %6 %, port silent %7 %")
                             .arg(fmt(perWakeupUs, 0), pct(floorTimer))
                             .arg(fmt(chunks.wakeupsPerSecond * perWakeupUs / 1e4, 2),
                                  fmt(whole.wakeupsPerSecond * perWakeupUs / 1e4, 2),
                                  fmt(perByte.wakeupsPerSecond * perWakeupUs / 1e4, 2),
                                  fmt(closed.wakeupsPerSecond * perWakeupUs / 1e4, 2),
                                  fmt(silent.wakeupsPerSecond * perWakeupUs / 1e4, 2)));
        }
    }

    if (o.wants("command")) {
        note(QStringLiteral("command: %1 band level sends").arg(o.sends));
        const CommandFigure cmd = measureCommand(o, &problems);
        if (cmd.ok && !cmd.cpuMs.empty()) {
            const double cpu = median(cmd.cpuMs), wall = median(cmd.wallMs),
                         idle = median(cmd.idleCpuMs);
            row(QStringLiteral(
                    "processor during a command's pauses (band level send, median of %1)")
                    .arg(cmd.cpuMs.size()),
                QStringLiteral("none (a timed wait)"),
                QStringLiteral("%1 ms CPU over a %2 ms send (%3 %)")
                    .arg(fmt(cpu, 2), fmt(wall, 0), fmt(100.0 * cpu / wall, 2)),
                QStringLiteral("same tool idle 200 ms: %1 ms CPU").arg(fmt(idle, 2)),
                ratio(cpu, idle), verdict(cpu < 0.05 * wall));
            notes.append(QStringLiteral(
                             "command: %1 of %2 frames reached the unit as A4 00 NN; gaps between "
                             "their bytes %3–%4 ms")
                             .arg(cmd.framesOk)
                             .arg(cmd.cpuMs.size())
                             .arg(fmt(*std::min_element(cmd.gapsMs.begin(), cmd.gapsMs.end()), 1),
                                  fmt(*std::max_element(cmd.gapsMs.begin(), cmd.gapsMs.end()), 1)));
        }
    }

    if (o.wants("hour")) {
        note(QStringLiteral("hour: %1 poll cycles with manual timers").arg(o.hourCycles));
        const HourFigure h = measureHour(o, &problems);
        if (h.ok && h.samples.size() >= 2) {
            const double minutes = h.samples.back().minute;
            qint64 at10 = h.samples.front().rssKb;
            for (const auto &smp : h.samples)
                if (smp.minute <= minutes / 6.0 + 1e-9)
                    at10 = smp.rssKb;
            qint64 peak = 0;
            for (const auto &smp : h.samples)
                peak = std::max(peak, smp.rssKb);
            const double growth = double(h.samples.back().rssKb - at10);
            const bool flat = growth <= 1024; // at most 1 MB over the last five sixths
            row(QStringLiteral(
                    "resident memory after %1 min of frames (%2 poll cycles, manual timers)")
                    .arg(fmt(minutes, 0))
                    .arg(h.cycles),
                QStringLiteral("< 60 MB, flat"),
                QStringLiteral("%1 (start %2, at %3 min %4, peak %5; %6 kB after minute %3)")
                    .arg(mb(double(h.samples.back().rssKb)), mb(double(h.startRssKb)),
                         fmt(minutes / 6.0, 0), mb(double(at10)), mb(double(peak)),
                         (growth >= 0 ? QStringLiteral("+") : QString()) + fmt(growth, 0)),
                floorStart.ok && !floorStart.rssKb.empty()
                    ? mb(median(floorStart.rssKb)) + QStringLiteral(" (at start)")
                    : QStringLiteral("–"),
                floorStart.ok && !floorStart.rssKb.empty()
                    ? ratio(double(h.samples.back().rssKb), median(floorStart.rssKb))
                    : QStringLiteral("–"),
                verdict(h.samples.back().rssKb < 60 * 1024 && flat));
            QStringList curve;
            for (const auto &smp : h.samples)
                curve.append(
                    QStringLiteral("%1 min %2").arg(fmt(smp.minute, 0), mb(double(smp.rssKb))));
            notes.append(
                QStringLiteral("hour: RSS %1; VmHWM %2; frame checks %3/%4; %5 s of wall time; "
                               "%6 ms of tool CPU per poll cycle (automation requests included)")
                    .arg(curve.join(QStringLiteral(", ")), mb(double(h.hwmKb)))
                    .arg(h.checksOk)
                    .arg(h.checks)
                    .arg(fmt(h.wallSeconds, 0), fmt(h.cpuMsPerCycle, 3)));
        }
    }
    if (toolStart.ok && !toolStart.rssKb.empty() && floorStart.ok && !floorStart.rssKb.empty())
        notes.append(
            QStringLiteral("RSS at the moment of start-up (median): zendalite %1, floor %2")
                .arg(mb(median(toolStart.rssKb)), mb(median(floorStart.rssKb))));

    QTextStream out(stdout);
    out << "\n### zendalite whole-program benchmark — platform: " << o.platform
        << " (QT_QPA_PLATFORM=" << o.platform
        << (o.platform == QLatin1String("xcb") ? ", under Xvfb" : "") << ")\n\n";
    out << "Machine: " << cpuModel() << ", " << std::thread::hardware_concurrency() << " cores, Qt "
        << qVersion() << "\n\n";
    out << "| figure | target | zendalite | floor window | ratio | verdict |\n";
    out << "|---|---|---|---|---|---|\n";
    for (const QString &r : rows)
        out << r << "\n";
    out << "\n";
    for (const QString &n : notes)
        out << "- " << n << "\n";
    for (const QString &p : problems)
        out << "- PROBLEM: " << p << "\n";
    out.flush();
    return problems.isEmpty() ? 0 : 1;
}
