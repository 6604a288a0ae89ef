// A thread that blocks in a read of a stream that cannot be watched for
// readiness (standard input on Windows, a console or a pipe) and hands on
// what it reads. The read can be cancelled from another thread only while
// the reader is inside it (as CancelSynchronousIo on Windows), so stop()
// cancels again and again until the thread has left it.
//
// Everything the thread touches is shared between it and this object: a
// thread whose read will not return is left to end with the program, and
// nothing it reads afterwards is handed on.
#pragma once

#include <QByteArray>

#include <chrono>
#include <functional>
#include <memory>

namespace zcore {

class ReaderThread {
public:
    // In the thread: reads at most size bytes into buffer; the count read,
    // 0 at the end of the input, -1 when it cannot be read or the read was
    // cancelled.
    using Read = std::function<qint64(char *buffer, qint64 size)>;
    // From the stopping thread: makes a read under way return; does
    // nothing when the reader is not inside one.
    using Cancel = std::function<void()>;
    // In the thread: the bytes read, in order.
    using Deliver = std::function<void(const QByteArray &bytes)>;
    // In the thread: the input ended (or cannot be read). Once at most.
    using End = std::function<void()>;

    ReaderThread(Read read, Cancel cancel, Deliver deliver, End end);
    ~ReaderThread();
    ReaderThread(const ReaderThread &) = delete;
    ReaderThread &operator=(const ReaderThread &) = delete;

    void start();

    // Ends the reading: nothing is delivered once this returns. True when
    // the thread ended; false when its read did not return within `limit`
    // and the thread was left to end with the program.
    bool stop(std::chrono::milliseconds limit = std::chrono::seconds(2));

    static constexpr qint64 kChunk = 4096;
    // How often stop() cancels while the thread has not left its read.
    static constexpr std::chrono::milliseconds kCancelIntervalMs{5};

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace zcore
