#include "framescanner.h"

#include "frame.h"

#include <algorithm>

namespace zcore {

namespace {

constexpr int kHeaderLength = 3;

constexpr unsigned char headerByte(int index)
{
    return index == 0 ? kFrameHeader : index == 1 ? kTelemetryMark1 : kTelemetryMark2;
}

// The search falls back to the start of the header only, which is right as
// long as no later header byte is the first one.
static_assert(kTelemetryMark1 != kFrameHeader && kTelemetryMark2 != kFrameHeader);

} // namespace

QList<QByteArray> FrameScanner::feed(QByteArrayView bytes)
{
    QList<QByteArray> payloads;
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (m_headerMatched == kHeaderLength) {
            const qsizetype take =
                std::min<qsizetype>(kPayloadLength - m_payload.size(), bytes.size() - at);
            m_payload.append(bytes.sliced(at, take));
            at += take;
            if (m_payload.size() == kPayloadLength) {
                payloads.append(m_payload);
                m_payload.clear();
                m_headerMatched = 0;
            }
            continue;
        }
        const auto byte = static_cast<unsigned char>(bytes[at]);
        ++at;
        if (byte == headerByte(m_headerMatched)) {
            ++m_headerMatched;
            if (m_headerMatched == kHeaderLength)
                m_payload.reserve(kPayloadLength);
            continue;
        }
        // The header bytes matched so far were not a header. No byte of the
        // header after the first is A4, so only this byte can start one.
        m_skipped += m_headerMatched;
        if (byte == kFrameHeader) {
            m_headerMatched = 1;
        } else {
            m_headerMatched = 0;
            ++m_skipped;
        }
    }
    return payloads;
}

void FrameScanner::reset()
{
    m_skipped += pendingBytes();
    m_headerMatched = 0;
    m_payload.clear();
}

} // namespace zcore
