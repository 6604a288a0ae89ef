#include "framecounter.h"

#include "core/decode.h"
#include "core/frame.h"

namespace zsim {

namespace {

constexpr qsizetype kHeaderLength = 3;

int sumBefore(const QByteArray &payload, int position)
{
    int sum = 0;
    for (int i = 0; i < position - 1; ++i)
        sum += static_cast<unsigned char>(payload[i]);
    return sum & 0xFF;
}

} // namespace

QByteArray FrameCounter::stamp(QByteArray frame)
{
    ++m_count;
    if (frame.size() < kHeaderLength + zcore::kPayloadLength ||
        zcore::findTelemetryHeader(frame) != 0)
        return frame;
    QByteArray payload = frame.sliced(kHeaderLength);
    zcore::putPayloadWord(payload, kNumberPosition, int(m_count & 0xFFFF));
    zcore::putPayloadByte(payload, kSumPosition, sumBefore(payload, kSumPosition));
    return frame.first(kHeaderLength) + payload;
}

} // namespace zsim
