// The unit as the benchmark plays it: a pseudo-terminal (pty/) whose device
// is published as a symbolic link; this side writes telemetry frames
// (bench/benchframes.h) paced as a 9600 baud line carries them, one byte
// every 1.04 ms, from a thread of its own, and reads the tool's commands
// from another.
#pragma once

#include "pty/pseudoterminal.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace programbench {

class PtyUnit {
public:
    struct RxByte {
        qint64 atNs;
        unsigned char byte;
    };

    // How the bytes of a frame reach the tool's side of the line.
    enum class Delivery {
        PerByte,   // each byte the moment the line has carried it (370 deliveries/s at 10 frames/s)
        Chunks16,  // every 16 ms, what has arrived since (a USB adapter's latency timer)
        WholeFrame // the 37 bytes at once when the frame has been carried
    };

    // The recent frames (for --trace and the graph's latency): number,
    // start, when its last byte was written, band level, debug line, payload.
    struct SentFrame {
        quint64 k;
        qint64 startNs;
        qint64 endNs;
        int level;
        QString diagnostic;
        QByteArray payload;
    };

    PtyUnit() = default;
    ~PtyUnit();
    PtyUnit(const PtyUnit &) = delete;
    PtyUnit &operator=(const PtyUnit &) = delete;

    // Makes the terminal and points a symbolic link at linkPath to its device.
    bool open(const QString &linkPath);
    QString device() const { return m_terminal.device(); }

    // Writes now, without pacing (for the accelerated hour); waits while the
    // line is full, false when it stays full for a second.
    bool writeNow(const QByteArray &bytes);

    // Frames at `rate` a second (one every 100 ms at 10/s), each taking the
    // 38.5 ms a 9600 baud line needs. requestPhaseShift() delays the next
    // frame by 0..100 ms (then the stream goes on evenly), so that frames fall
    // at every position relative to the tool's 300 ms poll over many samples.
    void startStream(double rate, Delivery delivery);
    void requestPhaseShift() { m_shift.store(true); }
    void stopStream();

    void setLevel(int level) { m_level.store(level); }
    int changes() const { return m_changes.load(); }
    qint64 changeStartNs() const { return m_changeAtNs.load(); }
    quint64 framesSent() const { return m_framesSent.load(); }
    quint64 bytesDropped() const { return m_dropped.load(); }

    void keepLog(bool keep) { m_keepLog = keep; }
    // The newest frame sent whose debug line reads `diagnostic`.
    std::optional<SentFrame> sentFrame(const QString &diagnostic);
    // The newest frame sent whose payload `matches`.
    std::optional<SentFrame> sentFrameWhere(const std::function<bool(const QByteArray &)> &matches);

    void startReader();
    void stopReader();
    std::vector<RxByte> takeReceived();

private:
    void writerLoop(double rate, Delivery delivery);
    void readerLoop();

    zpty::PseudoTerminal m_terminal;
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

} // namespace programbench
