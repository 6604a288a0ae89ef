// Telemetry frames in the unbroken stream of bytes the unit sends, for
// whoever needs every frame rather than one per poll (the recorder, the
// graph). Unlike the window's poll, which looks at one read at a time, the
// scanner follows the stream across reads: it finds the header A4 C0 00,
// then takes the next 34 bytes as the payload whatever they hold (a
// header's bytes inside a payload are payload), and looks for the next
// header after them. Bytes outside a frame are skipped and counted.
//
// A frame may arrive split across any number of feeds; the scanner keeps at
// most one unfinished frame (its header and up to 33 payload bytes), so its
// memory stays the same however long the stream runs.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace zcore {

class FrameScanner {
public:
    // The payloads (34 bytes each) of the frames completed by these bytes,
    // in the order they arrived.
    QList<QByteArray> feed(QByteArrayView bytes);

    // Bytes skipped so far because they were not part of a frame.
    qint64 skippedBytes() const { return m_skipped; }

    // Bytes held for a frame not finished yet (0 to 36).
    qsizetype pendingBytes() const { return m_headerMatched + m_payload.size(); }

    // Forgets an unfinished frame, as when the line is closed; its bytes
    // count as skipped. Every byte fed is thus in a frame returned (37 with
    // the header), skipped, or pending.
    void reset();

private:
    int m_headerMatched = 0; // bytes of the header seen so far (3: in a payload)
    QByteArray m_payload;    // the payload so far, while m_headerMatched is 3
    qint64 m_skipped = 0;
};

} // namespace zcore
