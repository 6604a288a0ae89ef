#include "readerthread.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace zcore {

struct ReaderThread::State {
    Read read;
    Cancel cancel;
    Deliver deliver;
    End end;
    std::mutex mutex;
    std::condition_variable left;
    bool stopping = false; // under mutex
    bool out = false;      // under mutex: the thread has ended its work
    std::thread thread;

    void run()
    {
        work();
        const std::lock_guard lock(mutex);
        out = true;
        left.notify_all();
    }

    void work()
    {
        QByteArray buffer(kChunk, Qt::Uninitialized);
        for (;;) {
            {
                const std::lock_guard lock(mutex);
                if (stopping)
                    return;
            }
            const qint64 n = read(buffer.data(), buffer.size());
            const std::lock_guard lock(mutex);
            if (stopping)
                return;
            if (n <= 0) {
                end();
                return;
            }
            deliver(buffer.left(n));
        }
    }
};

ReaderThread::ReaderThread(Read read, Cancel cancel, Deliver deliver, End end)
    : m_state(std::make_shared<State>())
{
    m_state->read = std::move(read);
    m_state->cancel = std::move(cancel);
    m_state->deliver = std::move(deliver);
    m_state->end = std::move(end);
}

ReaderThread::~ReaderThread() { stop(); }

void ReaderThread::start()
{
    if (m_state->thread.joinable())
        return;
    {
        const std::lock_guard lock(m_state->mutex);
        if (m_state->stopping)
            return;
    }
    m_state->thread = std::thread([state = m_state] { state->run(); });
}

bool ReaderThread::stop(std::chrono::milliseconds limit)
{
    State &s = *m_state;
    {
        const std::lock_guard lock(s.mutex);
        s.stopping = true;
    }
    if (!s.thread.joinable())
        return true;
    // A cancel reaches a read only while the thread is inside it; one sent
    // just before the thread enters it is lost. So it is sent again until
    // the thread is out, or the limit is reached.
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(s.mutex);
    while (!s.out && std::chrono::steady_clock::now() < deadline) {
        lock.unlock();
        s.cancel();
        lock.lock();
        s.left.wait_for(lock, kCancelIntervalMs, [&s] { return s.out; });
    }
    const bool out = s.out;
    lock.unlock();
    if (out) {
        s.thread.join();
        return true;
    }
    // Its read will not return: the thread keeps only the shared state
    // alive, hands on nothing more, and ends with the program.
    s.thread.detach();
    return false;
}

} // namespace zcore
