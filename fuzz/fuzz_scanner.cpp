// The streaming frame scanner over any bytes. Fed the stream whole, in
// chunks of changing sizes (set by the first two bytes) and as a reader
// that waits for the bytes the scanner asks for, it gives the same payloads
// every way, each of 34 bytes that follow a header in the stream, in order
// and never overlapping; it holds fewer than three frames' bytes, accounts
// for every byte after every feed (in a frame given, skipped or pending),
// decides no frame with fewer bytes than it asked for (over the stream's
// first 512 bytes: gives each frame at the same byte at its wake-ups as
// byte by byte), and once finished holds nothing.
#include "core/frame.h"
#include "core/framescanner.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr qsizetype kFrameBytes = 3 + zcore::kPayloadLength;

struct Run {
    zcore::FrameScanner scanner;
    QList<QByteArray> payloads;
    QList<qsizetype> givenAt; // bytes fed when each frame was given
    qsizetype fed = 0;

    void feed(QByteArrayView piece)
    {
        const QList<QByteArray> given = scanner.feed(piece);
        fed += piece.size();
        for (const QByteArray &payload : given) {
            if (payload.size() != zcore::kPayloadLength)
                std::abort();
            payloads.append(payload);
            givenAt.append(fed);
        }
        check();
    }

    void finish()
    {
        payloads += scanner.finish();
        if (scanner.pendingBytes() != 0)
            std::abort();
        check();
    }

    void check() const
    {
        if (scanner.pendingBytes() < 0 || scanner.pendingBytes() >= zcore::FrameScanner::kMostHeld)
            std::abort();
        if (scanner.neededBytes() < 1)
            std::abort();
        if (fed != kFrameBytes * payloads.size() + scanner.skippedBytes() + scanner.pendingBytes())
            std::abort();
    }
};

bool sameOutcome(const Run &a, const Run &b)
{
    return a.payloads == b.payloads && a.scanner.skippedBytes() == b.scanner.skippedBytes() &&
           a.scanner.pendingBytes() == b.scanner.pendingBytes();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    quint32 state = quint32(data[0]) << 8 | data[1];
    const QByteArrayView stream(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    Run whole;
    whole.feed(stream);

    Run chunked;
    for (qsizetype at = 0; at < stream.size();) {
        state = state * 1103515245u + 12345u;
        const qsizetype chunk = std::min<qsizetype>((state >> 16) % 48, stream.size() - at);
        const qsizetype needed = chunked.scanner.neededBytes();
        const qsizetype frames = chunked.payloads.size();
        chunked.feed(stream.sliced(at, chunk));
        at += chunk;
        // Fewer bytes than the scanner asked for decide no frame.
        if (chunk < needed && chunked.payloads.size() != frames)
            std::abort();
    }

    Run atWakeUps;
    while (atWakeUps.fed < stream.size())
        atWakeUps.feed(stream.sliced(atWakeUps.fed, std::min(atWakeUps.scanner.neededBytes(),
                                                             stream.size() - atWakeUps.fed)));

    if (!sameOutcome(chunked, whole) || !sameOutcome(atWakeUps, whole))
        std::abort();

    // Waiting for the bytes asked for never holds a frame back: over the
    // stream's start, each frame comes at the same byte as byte by byte.
    const QByteArrayView head = stream.first(std::min<qsizetype>(stream.size(), 512));
    Run byByte;
    for (qsizetype at = 0; at < head.size(); ++at)
        byByte.feed(head.sliced(at, 1));
    Run headAtWakeUps;
    while (headAtWakeUps.fed < head.size())
        headAtWakeUps.feed(
            head.sliced(headAtWakeUps.fed, std::min(headAtWakeUps.scanner.neededBytes(),
                                                    head.size() - headAtWakeUps.fed)));
    if (!sameOutcome(headAtWakeUps, byByte) || headAtWakeUps.givenAt != byByte.givenAt)
        std::abort();

    whole.finish();
    chunked.finish();
    if (!sameOutcome(chunked, whole))
        std::abort();

    // Every payload follows a header in the stream, after the one before.
    const QByteArray header("\xA4\xC0\x00", 3);
    qsizetype from = 0;
    for (const QByteArray &payload : whole.payloads) {
        const qsizetype at = stream.indexOf(header + payload, from);
        if (at < 0)
            std::abort();
        from = at + kFrameBytes;
    }
    return 0;
}
