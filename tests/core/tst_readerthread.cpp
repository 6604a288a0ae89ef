// The reader thread of a stream that cannot be watched (standard input on
// Windows): what it reads is handed on in order, the end once; stop() ends
// it at any moment, also before the thread is inside its read, where a
// cancel finds nothing to cancel; a read that will not return is left, and
// nothing it reads later is handed on.
#include "core/readerthread.h"

#include <QElapsedTimer>
#include <QTest>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

// A stream whose read, like a blocking ReadFile, can be cancelled only
// while the reader is inside it. A read that no cancel reaches returns by
// itself after `stuckFor`, standing in for never.
struct Stream {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QByteArray> chunks;
    bool ended = false;
    bool entering = false; // the read was called
    bool inside = false;
    bool cancelled = false;
    bool cancellable = true;
    std::chrono::milliseconds enterAfter{0};
    std::chrono::milliseconds stuckFor{3000};

    qint64 read(char *buffer, qint64 size)
    {
        {
            const std::lock_guard lock(mutex);
            entering = true;
            changed.notify_all();
        }
        std::this_thread::sleep_for(enterAfter); // not yet inside the read
        std::unique_lock lock(mutex);
        inside = true;
        changed.notify_all();
        changed.wait_for(lock, stuckFor, [this] { return cancelled || ended || !chunks.empty(); });
        inside = false;
        if (cancelled) {
            cancelled = false;
            return -1;
        }
        if (!chunks.empty()) {
            const QByteArray chunk = chunks.front().left(size);
            chunks.pop_front();
            std::copy(chunk.begin(), chunk.end(), buffer);
            return chunk.size();
        }
        return ended ? 0 : -1;
    }
    void cancel()
    {
        const std::lock_guard lock(mutex);
        if (inside && cancellable) {
            cancelled = true;
            changed.notify_all();
        }
    }
    void push(const QByteArray &bytes)
    {
        const std::lock_guard lock(mutex);
        chunks.push_back(bytes);
        changed.notify_all();
    }
    void end()
    {
        const std::lock_guard lock(mutex);
        ended = true;
        changed.notify_all();
    }
    // Waits until the reader is entering (or inside) its read.
    bool waitUntil(bool Stream::*state)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 2s, [this, state] { return this->*state; });
    }
};

// What the reader handed on.
struct Received {
    std::mutex mutex;
    QByteArray bytes;
    int ends = 0;
    QByteArray takeBytes()
    {
        const std::lock_guard lock(mutex);
        return bytes;
    }
    int endCount()
    {
        const std::lock_guard lock(mutex);
        return ends;
    }
};

std::unique_ptr<zcore::ReaderThread> readerOf(const std::shared_ptr<Stream> &stream,
                                              const std::shared_ptr<Received> &received)
{
    return std::make_unique<zcore::ReaderThread>(
        [stream](char *buffer, qint64 size) { return stream->read(buffer, size); },
        [stream] { stream->cancel(); },
        [received](const QByteArray &bytes) {
            const std::lock_guard lock(received->mutex);
            received->bytes += bytes;
        },
        [received] {
            const std::lock_guard lock(received->mutex);
            ++received->ends;
        });
}

} // namespace

class ReaderThreadTest : public QObject {
    Q_OBJECT
private slots:
    void bytesAreHandedOnInOrderAndTheEndOnce();
    void stopEndsTheThread_data();
    void stopEndsTheThread();
    void readThatWillNotReturnIsLeftAndHandsOnNothingMore();
};

void ReaderThreadTest::bytesAreHandedOnInOrderAndTheEndOnce()
{
    auto stream = std::make_shared<Stream>();
    auto received = std::make_shared<Received>();
    auto reader = readerOf(stream, received);
    reader->start();
    stream->push("{\"request\":");
    stream->push("\"state\"}\n");
    stream->end();
    QTRY_COMPARE(received->endCount(), 1);
    QCOMPARE(received->takeBytes(), QByteArray("{\"request\":\"state\"}\n"));
    QVERIFY(reader->stop());
    QCOMPARE(received->endCount(), 1);
}

void ReaderThreadTest::stopEndsTheThread_data()
{
    QTest::addColumn<int>("enterAfterMs"); // from calling the read to being inside it
    QTest::addColumn<QString>("when");     // stopped: "inside", "entering" or "at once"
    QTest::newRow("stopped while the thread waits in its read") << 0 << "inside";
    QTest::newRow("stopped as the thread is about to enter its read") << 50 << "entering";
    QTest::newRow("stopped at once") << 0 << "at once";
}

// Stopping takes far less than a read that no cancel reaches (3 s here, for
// ever on a console or a pipe that stays open).
void ReaderThreadTest::stopEndsTheThread()
{
    QFETCH(int, enterAfterMs);
    QFETCH(QString, when);
    auto stream = std::make_shared<Stream>();
    stream->enterAfter = std::chrono::milliseconds(enterAfterMs);
    auto received = std::make_shared<Received>();
    auto reader = readerOf(stream, received);
    reader->start();
    if (when == QLatin1String("inside"))
        QVERIFY(stream->waitUntil(&Stream::inside));
    else if (when == QLatin1String("entering"))
        QVERIFY(stream->waitUntil(&Stream::entering));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(reader->stop());
    const qint64 tookMs = clock.elapsed();
    qInfo("stopped in %lld ms", tookMs);
    QVERIFY2(tookMs < 1000, qPrintable(QString::number(tookMs)));
    QCOMPARE(received->endCount(), 0); // stopped is not ended
    QVERIFY(received->takeBytes().isEmpty());
}

void ReaderThreadTest::readThatWillNotReturnIsLeftAndHandsOnNothingMore()
{
    auto stream = std::make_shared<Stream>();
    stream->cancellable = false;
    stream->stuckFor = 600ms;
    auto received = std::make_shared<Received>();
    auto reader = readerOf(stream, received);
    reader->start();
    QVERIFY(stream->waitUntil(&Stream::inside));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!reader->stop(100ms));
    const qint64 tookMs = clock.elapsed();
    QVERIFY2(tookMs < 500, qPrintable(QString::number(tookMs)));
    reader.reset(); // the object goes; the thread it left still reads
    stream->push("late\n");
    stream->end();
    QTest::qWait(800);
    QVERIFY(received->takeBytes().isEmpty());
    QCOMPARE(received->endCount(), 0);
}

QTEST_GUILESS_MAIN(ReaderThreadTest)
#include "tst_readerthread.moc"
