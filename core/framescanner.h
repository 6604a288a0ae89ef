// Telemetry frames in the unbroken stream of bytes the unit sends, for
// whoever needs every frame rather than one per poll (the recorder, the
// graph). Unlike the window's poll, which looks at one read at a time, the
// scanner follows the stream across reads.
//
// A frame is the header A4 C0 00 and 34 payload bytes, with no checksum and
// no end mark. Its bytes alone cannot tell a whole frame from one the line
// cut short, nor a header from a header's bytes inside a payload (coolant
// at 66 degrees is A4, a level sensor reading of 192 is C0, a band at level
// 0 is 00). The bytes around a header decide whether it begins a frame:
//
//   A candidate is a header whose 37 bytes have come. It is a frame unless
//   (a) a header that begins inside its bytes (after its first byte, up to
//       its last; that header's own bytes may run on past them) is itself
//       a frame by this rule, or
//   (b) a header begins inside its bytes and none begins right after them.
//   A frame's payload is given and scanning goes on after its bytes; a
//   header that is no frame is skipped with the bytes up to the next one.
//
// Why this finds the frames the unit sent. The unit sends its frames back
// to back: the pause between two holds no bytes, so the byte after a whole
// frame is the next frame's first.
//   - A whole frame without a header's bytes in it has no header inside:
//     it is a frame at its last byte (if it ends in A4 or A4 C0, at the
//     byte after, which shows that no header begins there).
//   - A frame cut short, with the next frame right after it: the next
//     header begins inside its 37 bytes, and the byte after them lies
//     inside the next frame, where no header begins: (b) skips the cut one
//     once that byte has come, and the next frame loses nothing. (If the
//     next frame holds a header's bytes just there, (a) skips it once the
//     next frame is decided.)
//   - Frames cut short one after another: the last holds the whole frame's
//     header (a); an earlier one holds a frame's header too (a) or ends
//     inside a cut frame's bytes (b). Only cuts that add up to exactly 37
//     bytes, which are byte for byte a whole frame with a header inside
//     it, are read as that frame.
//   - A whole frame F with a header's bytes at H in its payload, and the
//     next frame G right after F: G begins inside H's 37 bytes, so when G
//     is a frame, H is not (a), and F is, as G begins right after it. If G
//     holds a header's bytes too, G is decided the same way by the frame
//     after it: a run of frames with a header in each is decided from the
//     first frame without one, back to the run's start.
// A candidate's verdict needs its bytes, the three after them and the
// verdicts of the headers inside it; once reached, more bytes never change
// it. So the scanner gives the same frames at the same bytes however the
// stream is cut into reads.
//
// What the bytes cannot tell, and how it is read:
//   - A whole frame with a header's bytes inside it, followed by garbage
//     instead of the next frame, is byte for byte two frames cut short (a
//     line dropping bytes makes those far more often): it is skipped, and
//     after more than a few garbage bytes its inner header is read as a
//     frame.
//   - The scanner holds at most kMostHeld bytes (three frames) from the
//     first candidate not decided. A run of frames that each hold a
//     header's bytes leaves that candidate open until the run ends; when
//     the bytes held are full and it is still open, it is taken (a header
//     begins right after it and none inside it has been shown to be a
//     frame): the frame the scanning stands at keeps its place, as in the
//     run. Such a frame is given two frames late; every other one at its
//     last byte or the few after it. A frame cut short so that the header's
//     bytes in the run's next frames fall right after its 37 bytes is read
//     in the wrong place until the run ends.
// Memory stays the same however long the stream runs.
//
// Every byte fed is in a frame given (37 with the header), skipped, or
// pending.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace zcore {

class FrameScanner {
public:
    // The most bytes held for frames not decided yet (three frames).
    static constexpr qsizetype kMostHeld = 3 * 37;

    // The payloads (34 bytes each) of the frames these bytes decide, in the
    // order they arrived.
    QList<QByteArray> feed(QByteArrayView bytes);

    // The stream has ended (the line was cut): decides what is held as when
    // the bytes held are full, a candidate still open being taken; a frame
    // not finished is skipped. Returns the payloads of the frames among
    // them; nothing is pending after it.
    QList<QByteArray> finish();

    // Bytes skipped so far because they were not part of a frame.
    qint64 skippedBytes() const { return m_skipped; }

    // Bytes held for frames not decided yet (0 to kMostHeld - 1).
    qsizetype pendingBytes() const { return m_held.size(); }

    // The fewest more bytes before anything held can be decided: the rest
    // of the frame begun (37 when nothing is held), fewer while the bytes
    // after a finished frame are awaited. A reader may wait for this many
    // before it feeds them: no frame is held back by it.
    qsizetype neededBytes() const { return m_needed; }

    // Forgets what is held, as when the line is closed; its bytes count as
    // skipped. Every byte fed is thus in a frame returned (37 with the
    // header), skipped, or pending.
    void reset();

private:
    enum class Verdict : signed char { Frame, NotFrame, Open };
    struct Decision {
        Verdict verdict = Verdict::Open;
        qsizetype needed = 0; // while open: the fewest bytes that may decide it
    };
    enum class Header { Yes, No, Maybe };

    // Decides what the held bytes allow, giving the frames and dropping the
    // skipped bytes; with `ended`, everything held.
    void settle(QList<QByteArray> &payloads, bool ended);
    Header headerAt(qsizetype at) const;
    // The verdict on the candidate at a held position, reached once.
    Decision decide(qsizetype at);
    Decision evaluate(qsizetype at);
    void skip(qsizetype count); // dropped as skipped
    void drop(qsizetype count);

    QByteArray m_held; // from the first undecided byte on
    qint64 m_skipped = 0;
    qsizetype m_needed = 37;
    // The verdicts reached on the held candidates, by stream position.
    struct Known {
        qint64 position = -1;
        qint64 until = 0; // an open verdict holds while fewer bytes came
        Decision decision;
    };
    Known m_known[kMostHeld] = {};
    qint64 m_start = 0; // the stream position of the first byte held
};

} // namespace zcore
