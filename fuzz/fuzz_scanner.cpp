// The streaming frame scanner over any bytes: fed in chunks of changing
// sizes (set by the first two bytes), it gives the same payloads as fed the
// stream whole, each of 34 bytes, keeps at most one unfinished frame, and
// accounts for every byte.
#include "core/frame.h"
#include "core/framescanner.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    quint32 state = quint32(data[0]) << 8 | data[1];
    const QByteArrayView stream(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    zcore::FrameScanner whole;
    const QList<QByteArray> expected = whole.feed(stream);

    zcore::FrameScanner chunked;
    QList<QByteArray> got;
    for (qsizetype at = 0; at < stream.size();) {
        state = state * 1103515245u + 12345u;
        const qsizetype chunk = std::min<qsizetype>((state >> 16) % 48, stream.size() - at);
        got += chunked.feed(stream.sliced(at, chunk));
        at += chunk;
        if (chunked.pendingBytes() > 3 + zcore::kPayloadLength - 1)
            std::abort();
        if (at != (3 + zcore::kPayloadLength) * got.size() + chunked.skippedBytes() +
                      chunked.pendingBytes())
            std::abort();
    }
    if (got != expected || chunked.skippedBytes() != whole.skippedBytes())
        std::abort();
    for (const QByteArray &payload : got)
        if (payload.size() != zcore::kPayloadLength)
            std::abort();
    return 0;
}
