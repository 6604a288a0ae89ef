// Frame search and acceptance over an arbitrarily chunked stream, and the
// decoding and text formats of every accepted payload. The first byte sets
// how the stream arrives between two polls.
#include "core/decode.h"
#include "core/frame.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t chunk = 1 + data[0] % 64;
    QByteArray pending;
    QString lists[4];
    for (size_t at = 1; at < size; at += chunk) {
        pending.append(reinterpret_cast<const char *>(data + at),
                       qsizetype(std::min(chunk, size - at)));
        const QByteArray read = pending.left(zcore::kReadLength);
        pending.remove(0, read.size());
        if (read.size() < zcore::kLeastDataRead)
            continue;
        const auto payload = zcore::framePayload(read);
        if (!payload)
            continue;
        if (payload->size() < zcore::kPayloadLength || zcore::diagnosticLine(*payload).size() != 89)
            std::abort();
        const zcore::LiveFrame f = zcore::decodePayload(*payload);
        std::array<double, 4> heads{};
        for (size_t k = 0; k < 4; ++k) {
            if (zcore::timeCutToFour(f.inWord[k]).size() > 4)
                std::abort();
            if (const auto entry = zcore::speedEntry(f.inWord[k], f.outWord[k]))
                lists[k] = *entry + QLatin1Char('\r') + lists[k].left(200);
            heads[k] = zcore::listHead(lists[k]);
            if (heads[k] != 0 && (heads[k] < 400 || heads[k] >= 8000))
                std::abort();
        }
        const auto speed = zcore::engineSpeed(heads);
        if (speed.value && *speed.value <= 0)
            std::abort();
        if (zcore::maskOf(zcore::maskFaces(f.mask)) != (f.mask & 0xBC))
            std::abort();
        pending.clear(); // the rest is discarded after an accepted frame
    }
    return 0;
}
