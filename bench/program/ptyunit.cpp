#include "ptyunit.h"

#include "benchclock.h"
#include "benchframes.h"

#include "core/frame.h"
#include "pty/devicelink.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <random>
#include <unistd.h>

namespace programbench {

PtyUnit::~PtyUnit()
{
    stopStream();
    stopReader();
    zpty::removeLinkTo(m_terminal.device(), m_link);
}

bool PtyUnit::open(const QString &linkPath)
{
    if (!m_terminal.open(zpty::PseudoTerminal::Master::NonBlocking) ||
        !zpty::publishLink(m_terminal.device(), linkPath))
        return false;
    m_link = linkPath;
    return true;
}

bool PtyUnit::writeNow(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(m_terminal.master(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        pollfd p{m_terminal.master(), POLLOUT, 0};
        if (n < 0 && errno == EAGAIN && ::poll(&p, 1, 1000) > 0)
            continue;
        return false;
    }
    return true;
}

void PtyUnit::startStream(double rate, Delivery delivery)
{
    stopStream();
    m_stopWriter = false;
    m_writer = std::thread([this, rate, delivery] { writerLoop(rate, delivery); });
}

void PtyUnit::stopStream()
{
    m_stopWriter = true;
    if (m_writer.joinable())
        m_writer.join();
}

std::optional<PtyUnit::SentFrame> PtyUnit::sentFrame(const QString &diagnostic)
{
    std::lock_guard<std::mutex> lock(m_logMutex);
    for (auto it = m_log.rbegin(); it != m_log.rend(); ++it)
        if (it->diagnostic == diagnostic)
            return *it;
    return std::nullopt;
}

std::optional<PtyUnit::SentFrame>
PtyUnit::sentFrameWhere(const std::function<bool(const QByteArray &)> &matches)
{
    std::lock_guard<std::mutex> lock(m_logMutex);
    for (auto it = m_log.rbegin(); it != m_log.rend(); ++it)
        if (matches(it->payload))
            return *it;
    return std::nullopt;
}

void PtyUnit::startReader()
{
    m_stopReader = false;
    m_reader = std::thread([this] { readerLoop(); });
}

void PtyUnit::stopReader()
{
    m_stopReader = true;
    if (m_reader.joinable())
        m_reader.join();
}

std::vector<PtyUnit::RxByte> PtyUnit::takeReceived()
{
    std::lock_guard<std::mutex> lock(m_rxMutex);
    std::vector<RxByte> out;
    out.swap(m_rx);
    return out;
}

void PtyUnit::writerLoop(double rate, Delivery delivery)
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
            const ssize_t n = ::write(m_terminal.master(), frame.constData() + i, size_t(j - i));
            if (n != j - i)
                m_dropped.fetch_add(quint64(j - i - std::max<ssize_t>(n, 0)));
            i = j;
        }
        m_framesSent.fetch_add(1);
        if (m_keepLog) {
            std::lock_guard<std::mutex> lock(m_logMutex);
            m_log.push_back(
                {k - 1, start, nowNs(), level, zcore::diagnosticLine(frame.mid(3)), frame.mid(3)});
            if (m_log.size() > 200)
                m_log.erase(m_log.begin(), m_log.begin() + 100);
        }
        next += period;
        const qint64 now = nowNs();
        if (next < now - period)
            next = now; // fell far behind (machine busy): no burst to catch up
    }
}

void PtyUnit::readerLoop()
{
    while (!m_stopReader) {
        pollfd p{m_terminal.master(), POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        unsigned char buf[256];
        const ssize_t n = ::read(m_terminal.master(), buf, sizeof buf);
        if (n <= 0)
            continue;
        const qint64 at = nowNs();
        std::lock_guard<std::mutex> lock(m_rxMutex);
        for (ssize_t i = 0; i < n; ++i)
            m_rx.push_back({at, buf[i]});
    }
}

} // namespace programbench
