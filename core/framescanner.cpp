#include "framescanner.h"

#include "frame.h"

#include <algorithm>
#include <cstring>

namespace zcore {

namespace {

constexpr qsizetype kHeaderLength = 3;
constexpr qsizetype kFrameLength = kHeaderLength + kPayloadLength;
constexpr char kHeader[kHeaderLength] = {char(kFrameHeader), char(kTelemetryMark1),
                                         char(kTelemetryMark2)};

static_assert(FrameScanner::kMostHeld == 3 * kFrameLength);
// No header byte after the first is A4, so two headers never overlap: a
// header inside a candidate begins three bytes or more after it, and the
// search for a header may go on from the byte after a failed one's A4.
static_assert(kTelemetryMark1 != kFrameHeader && kTelemetryMark2 != kFrameHeader);

} // namespace

QList<QByteArray> FrameScanner::feed(QByteArrayView bytes)
{
    QList<QByteArray> payloads;
    qsizetype at = 0;
    while (at < bytes.size()) {
        // Settling leaves fewer than kMostHeld bytes held.
        const qsizetype take = std::min(kMostHeld - m_held.size(), bytes.size() - at);
        const bool atCandidate = m_held.size() >= kHeaderLength;
        m_held.append(bytes.sliced(at, take));
        at += take;
        if (atCandidate && take < m_needed) {
            // Too few to decide the candidate the held bytes begin with, and
            // nothing after it is skipped before it is decided.
            m_needed -= take;
            continue;
        }
        settle(payloads, false);
    }
    return payloads;
}

QList<QByteArray> FrameScanner::finish()
{
    QList<QByteArray> payloads;
    settle(payloads, true);
    return payloads;
}

void FrameScanner::reset()
{
    skip(m_held.size());
    m_needed = kFrameLength;
}

void FrameScanner::skip(qsizetype count)
{
    m_skipped += count;
    drop(count);
}

void FrameScanner::drop(qsizetype count)
{
    m_held.remove(0, count);
    m_start += count;
}

FrameScanner::Header FrameScanner::headerAt(qsizetype at) const
{
    const char *bytes = m_held.constData() + at;
    switch (m_held.size() - at) {
    case 0:
        return Header::Maybe;
    case 1:
        return bytes[0] == kHeader[0] ? Header::Maybe : Header::No;
    case 2:
        return bytes[0] == kHeader[0] && bytes[1] == kHeader[1] ? Header::Maybe : Header::No;
    default:
        return bytes[0] == kHeader[0] && bytes[1] == kHeader[1] && bytes[2] == kHeader[2]
                   ? Header::Yes
                   : Header::No;
    }
}

FrameScanner::Decision FrameScanner::decide(qsizetype at)
{
    // A verdict, once reached, holds; an open one until the bytes it waits
    // for have come.
    const qint64 position = m_start + at;
    const qint64 end = m_start + m_held.size();
    const Known &known = m_known[position % kMostHeld];
    if (known.position == position) {
        if (known.decision.verdict != Verdict::Open)
            return known.decision;
        if (end < known.until)
            return {Verdict::Open, known.until - end};
    }
    const Decision decision = evaluate(at);
    m_known[position % kMostHeld] = {position, end + decision.needed, decision};
    return decision;
}

FrameScanner::Decision FrameScanner::evaluate(qsizetype at)
{
    const qsizetype held = m_held.size();
    if (at + kFrameLength > held) // its bytes have not all come
        return {Verdict::Open, at + kFrameLength - held};

    // The headers that begin inside its bytes, after its first up to its
    // last (at most one every three bytes, from its fourth on); a header's
    // beginning at the end of the bytes held may be one.
    const Header next = headerAt(at + kFrameLength);
    qsizetype inside[kFrameLength / kHeaderLength];
    int insideCount = 0;
    bool open = false;
    qsizetype needed = kMostHeld;
    const char *bytes = m_held.constData();
    for (qsizetype from = at + 1; from < at + kFrameLength;) {
        const void *found =
            std::memchr(bytes + from, kFrameHeader, size_t(at + kFrameLength - from));
        if (!found)
            break;
        const qsizetype inner = static_cast<const char *>(found) - bytes;
        const Header header = headerAt(inner);
        if (header == Header::Yes) {
            if (next == Header::No) // (b): a header inside it and none right after it
                return {Verdict::NotFrame, 0};
            inside[insideCount++] = inner;
        } else if (header == Header::Maybe) {
            open = true;
            needed = 1;
        }
        from = inner + 1;
    }
    if (insideCount == 0)
        return open ? Decision{Verdict::Open, needed} : Decision{Verdict::Frame, 0};
    if (next == Header::Maybe) {
        open = true;
        needed = 1;
    }
    // (a): a frame begins inside it.
    for (int i = 0; i < insideCount; ++i) {
        const Decision inner = decide(inside[i]);
        if (inner.verdict == Verdict::Frame)
            return {Verdict::NotFrame, 0};
        if (inner.verdict == Verdict::Open) {
            open = true;
            needed = std::min(needed, inner.needed);
        }
    }
    return open ? Decision{Verdict::Open, needed} : Decision{Verdict::Frame, 0};
}

void FrameScanner::settle(QList<QByteArray> &payloads, bool ended)
{
    for (;;) {
        // Bytes before the first header (or a header's beginning at the
        // end) are no frame's.
        qsizetype first = 0;
        while (first < m_held.size()) {
            const void *found = std::memchr(m_held.constData() + first, kFrameHeader,
                                            size_t(m_held.size() - first));
            if (!found) {
                first = m_held.size();
                break;
            }
            first = static_cast<const char *>(found) - m_held.constData();
            if (headerAt(first) != Header::No)
                break;
            ++first;
        }
        skip(first);
        if (m_held.size() < kHeaderLength) {
            if (ended) // a header's beginning the stream ended in
                skip(m_held.size());
            m_needed = kFrameLength - m_held.size();
            return;
        }

        const Decision d = decide(0);
        const bool whole = m_held.size() >= kFrameLength;
        if (d.verdict == Verdict::Frame ||
            (d.verdict == Verdict::Open && whole && (ended || m_held.size() == kMostHeld))) {
            // A frame, or one still open when no more bytes can be held or
            // will come: the frame at which the scanning stands is taken.
            payloads.append(m_held.sliced(kHeaderLength, kPayloadLength));
            drop(kFrameLength);
        } else if (d.verdict == Verdict::NotFrame || ended) {
            skip(1);
        } else {
            m_needed = std::min(d.needed, kMostHeld - m_held.size());
            return;
        }
    }
}

} // namespace zcore
