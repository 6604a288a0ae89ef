// The streaming frame scanner: every frame in a stream of bytes, however the
// stream is cut into reads; a frame cut short never takes the bytes of the
// frame after it, and a header's bytes inside a payload never cost a frame.
#include "core/frame.h"
#include "core/framescanner.h"
#include "support/payloads.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zcore;

namespace {

constexpr int kFrameBytes = 3 + kPayloadLength;
// The most bytes the scanner may hold at any time.
constexpr qsizetype kMostHeld = 3 * kFrameBytes;

const QByteArray kHeader = payloads::fromHex("A4 C0 00");

// A payload told apart from others by its first and last bytes.
QByteArray numbered(int n) { return payloads::payload({{1, n}, {34, 255 - n}}); }

// A payload that holds the header's bytes, at its start and across its end.
QByteArray headerInside()
{
    return payloads::payload({{1, 0xA4}, {2, 0xC0}, {3, 0x00}, {33, 0xA4}, {34, 0xC0}});
}

// Payload n with the header's bytes from payload position `at` on (as many
// as fit: at 33 only A4 C0, at 34 only A4).
QByteArray withHeaderAt(int n, int at)
{
    QByteArray p = numbered(n);
    for (int i = 0; i < kHeader.size() && at + i <= kPayloadLength; ++i)
        p[at - 1 + i] = kHeader[i];
    return p;
}

QList<QByteArray> feedAll(FrameScanner &scanner, const QByteArrayList &chunks)
{
    QList<QByteArray> out;
    for (const QByteArray &chunk : chunks)
        out += scanner.feed(chunk);
    return out;
}

struct Outcome {
    QList<QByteArray> payloads;
    QList<qsizetype> givenAt; // bytes fed when each frame was given
    qint64 skipped = 0;
    qsizetype pending = 0;
    int feeds = 0;
};

// Feeds the next piece and checks that every byte fed is in a frame given,
// skipped or pending, and that no more than three frames' bytes are held.
void feedPiece(FrameScanner &scanner, QByteArrayView piece, qsizetype &at, Outcome &out)
{
    const QList<QByteArray> given = scanner.feed(piece);
    at += piece.size();
    ++out.feeds;
    for (const QByteArray &payload : given) {
        QCOMPARE(payload.size(), kPayloadLength);
        out.payloads.append(payload);
        out.givenAt.append(at);
    }
    QVERIFY2(scanner.pendingBytes() < kMostHeld, qPrintable(QString::number(at)));
    QCOMPARE(qint64(at), qint64(kFrameBytes * out.payloads.size()) + scanner.skippedBytes() +
                             qint64(scanner.pendingBytes()));
    QVERIFY(scanner.neededBytes() >= 1);
}

// The stream fed in pieces that end at `ends` (and at its end).
Outcome scanInPieces(QByteArrayView stream, const QList<qsizetype> &ends)
{
    FrameScanner scanner;
    Outcome out;
    qsizetype at = 0;
    for (qsizetype end : ends) {
        feedPiece(scanner, stream.sliced(at, end - at), at, out);
        if (QTest::currentTestFailed())
            return out;
    }
    feedPiece(scanner, stream.sliced(at), at, out);
    out.skipped = scanner.skippedBytes();
    out.pending = scanner.pendingBytes();
    return out;
}

QList<qsizetype> everyByte(QByteArrayView stream)
{
    QList<qsizetype> ends;
    for (qsizetype end = 1; end < stream.size(); ++end)
        ends.append(end);
    return ends;
}

// The stream fed as a reader does that waits until as many bytes have come
// as the scanner needs (the serial driver's wake count), and the rest at
// the end.
Outcome scanAtWakeUps(QByteArrayView stream)
{
    FrameScanner scanner;
    Outcome out;
    qsizetype at = 0;
    while (at < stream.size() && !QTest::currentTestFailed())
        feedPiece(scanner, stream.sliced(at, std::min(scanner.neededBytes(), stream.size() - at)),
                  at, out);
    out.skipped = scanner.skippedBytes();
    out.pending = scanner.pendingBytes();
    return out;
}

// Fed byte by byte, at the scanner's wake-ups and in the pieces that end at
// each list of `cuts`, the stream gives what it gives fed whole. Each frame
// is given at the same byte at the wake-ups as byte by byte (waiting for the
// bytes the scanner asks for never holds a frame back); each payload is a
// frame of the stream, after the one before, given at the latest once two
// frames' bytes have followed it.
void checkAlikeEveryWay(QByteArrayView stream, const Outcome &whole,
                        const QList<QList<qsizetype>> &cuts)
{
    const Outcome byByte = scanInPieces(stream, everyByte(stream));
    const Outcome atWakeUps = scanAtWakeUps(stream);
    if (QTest::currentTestFailed())
        return;
    for (const Outcome *way : {&byByte, &atWakeUps}) {
        QCOMPARE(way->payloads, whole.payloads);
        QCOMPARE(way->skipped, whole.skipped);
        QCOMPARE(way->pending, whole.pending);
    }
    QCOMPARE(atWakeUps.givenAt, byByte.givenAt);
    qsizetype end = 0;
    for (qsizetype i = 0; i < byByte.payloads.size(); ++i) {
        const qsizetype at = stream.indexOf(kHeader + byByte.payloads[i], end);
        QVERIFY(at >= 0);
        end = at + kFrameBytes;
        QVERIFY(byByte.givenAt[i] >= end);
        QVERIFY(byByte.givenAt[i] <= end + 2 * kFrameBytes);
    }
    for (const QList<qsizetype> &ends : cuts) {
        const Outcome pieces = scanInPieces(stream, ends);
        if (QTest::currentTestFailed())
            return;
        const QByteArray where = "pieces ending at " + QByteArray::number(ends.value(0)) + "...";
        QVERIFY2(pieces.payloads == whole.payloads, where.constData());
        QVERIFY2(pieces.skipped == whole.skipped, where.constData());
        QVERIFY2(pieces.pending == whole.pending, where.constData());
    }
}

// The stream gives these payloads and skips these bytes with nothing left
// pending, alike every way and split in two at every byte.
void checkEveryWay(QByteArrayView stream, const QList<QByteArray> &payloads, qint64 skipped)
{
    const Outcome whole = scanInPieces(stream, {});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(whole.payloads, payloads);
    QCOMPARE(whole.skipped, skipped);
    QCOMPARE(whole.pending, 0);
    QList<QList<qsizetype>> splits;
    for (qsizetype end = 1; end < stream.size(); ++end)
        splits.append(QList<qsizetype>{end});
    checkAlikeEveryWay(stream, whole, splits);
}

} // namespace

class FrameScannerTest : public QObject {
    Q_OBJECT
private slots:
    void backToBackFramesAreEachGivenAtTheirLastByte();
    void streamsGiveTheirPayloadsAndCountTheSkippedBytes_data();
    void streamsGiveTheirPayloadsAndCountTheSkippedBytes();
    void cutFramesGiveWayToTheWholeFrameAfterThem_data();
    void cutFramesGiveWayToTheWholeFrameAfterThem();
    void headerInsideAPayloadAtAnyPlaceKeepsItsFrame_data();
    void headerInsideAPayloadAtAnyPlaceKeepsItsFrame();
    void streamOfHeadersOnlyGivesNoFrameAndHoldsFewBytes();
    void headerInEveryPayloadKeepsEveryFrameAndGivesItWithinTwoFrames();
    void finishGivesTheFramesHeldAsIfNothingFollowed_data();
    void finishGivesTheFramesHeldAsIfNothingFollowed();
    void scannerAsksForTheRestOfTheFrameItHolds();
    void anyStreamIsReadAlikeInAnyPiecesWithinBoundedMemory();
    void resetForgetsTheUnfinishedFrameAsSkipped();
};

void FrameScannerTest::backToBackFramesAreEachGivenAtTheirLastByte()
{
    const QByteArray stream = telemetryFrame(numbered(1)) + telemetryFrame(numbered(2));
    checkEveryWay(stream, {numbered(1), numbered(2)}, 0);
    QCOMPARE(scanInPieces(stream, everyByte(stream)).givenAt, (QList<qsizetype>{37, 74}));
}

void FrameScannerTest::streamsGiveTheirPayloadsAndCountTheSkippedBytes_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QList<QByteArray>>("payloads");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<int>("pending");

    const QByteArray one = telemetryFrame(numbered(1));
    const QByteArray two = telemetryFrame(numbered(2));
    const QByteArray p1 = numbered(1);
    const QByteArray p2 = numbered(2);
    const auto hex = payloads::fromHex;

    QTest::newRow("garbage before")
        << QByteArrayList{hex("00 11 C0 00 FF") + one} << QList<QByteArray>{p1} << 5 << 0;
    QTest::newRow("garbage between") << QByteArrayList{one + hex("01 02 03 04 05 06 07") + two}
                                     << QList<QByteArray>{p1, p2} << 7 << 0;
    QTest::newRow("header inside a payload is payload")
        << QByteArrayList{telemetryFrame(headerInside()) + one}
        << QList<QByteArray>{headerInside(), p1} << 0 << 0;
    QTest::newRow("payload that is all header bytes")
        << QByteArrayList{kHeader + kHeader.repeated(11) + hex("A4") + two}
        << QList<QByteArray>{kHeader.repeated(11) + hex("A4"), p2} << 0 << 0;
    QTest::newRow("partial header at the end of a feed")
        << QByteArrayList{hex("11 A4 C0"), one.sliced(2)} << QList<QByteArray>{p1} << 1 << 0;
    QTest::newRow("partial header at the end of a feed that was not one")
        << QByteArrayList{hex("A4 C0"), hex("11") + one} << QList<QByteArray>{p1} << 3 << 0;
    QTest::newRow("lone A4 before a real header")
        << QByteArrayList{hex("A4") + one} << QList<QByteArray>{p1} << 1 << 0;
    QTest::newRow("A4 C0 C0 00 is not a header")
        << QByteArrayList{hex("A4 C0 C0 00") + one} << QList<QByteArray>{p1} << 4 << 0;
    QTest::newRow("frame cut short is held, not given")
        << QByteArrayList{one + two.first(20)} << QList<QByteArray>{p1} << 0 << 20;
    QTest::newRow("header alone is held")
        << QByteArrayList{hex("77") + kHeader} << QList<QByteArray>{} << 1 << 3;
}

void FrameScannerTest::streamsGiveTheirPayloadsAndCountTheSkippedBytes()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QList<QByteArray>, payloads);
    QFETCH(int, skipped);
    QFETCH(int, pending);
    FrameScanner scanner;
    QCOMPARE(feedAll(scanner, chunks), payloads);
    QCOMPARE(scanner.skippedBytes(), skipped);
    QCOMPARE(scanner.pendingBytes(), pending);
}

void FrameScannerTest::cutFramesGiveWayToTheWholeFrameAfterThem_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second"); // 0: one frame cut short
    // The unit's line dropped the rest of a frame (as in the soak: cut to 33
    // of 37 bytes, then the next frame whole), or of two in a row. Two cuts
    // that add up to exactly 37 bytes, the first with its whole header, are
    // the bytes of one whole frame with a header inside its payload, and are
    // read as that.
    for (int first = 0; first < kFrameBytes; ++first)
        QTest::addRow("cut to %d bytes", first) << first << 0;
    for (int first = 3; first < kFrameBytes; ++first)
        for (int second = 3; second < kFrameBytes; ++second)
            if (first + second != kFrameBytes)
                QTest::addRow("cut to %d, then to %d bytes", first, second) << first << second;
}

void FrameScannerTest::cutFramesGiveWayToTheWholeFrameAfterThem()
{
    QFETCH(int, first);
    QFETCH(int, second);
    const QByteArray stream = telemetryFrame(numbered(1)).first(first) +
                              telemetryFrame(numbered(2)).first(second) +
                              telemetryFrame(numbered(3));
    checkEveryWay(stream, {numbered(3)}, first + second);
}

void FrameScannerTest::headerInsideAPayloadAtAnyPlaceKeepsItsFrame_data()
{
    QTest::addColumn<int>("cut"); // 0: no frame cut short before it
    QTest::addColumn<int>("at");
    for (int at = 1; at <= kPayloadLength; ++at)
        QTest::addRow("header bytes from payload position %d", at) << 0 << at;
    for (int cut = 3; cut < kFrameBytes; ++cut)
        for (int at = 1; at <= kPayloadLength - 2; ++at)
            QTest::addRow("cut to %d, header at %d", cut, at) << cut << at;
}

void FrameScannerTest::headerInsideAPayloadAtAnyPlaceKeepsItsFrame()
{
    QFETCH(int, cut);
    QFETCH(int, at);
    // Coolant at 66 degrees (A4), level sensor 192 (C0), band 0 at level 0,
    // for one: the unit's own values can spell a header.
    const QByteArray stream = telemetryFrame(numbered(1)).first(cut) +
                              telemetryFrame(withHeaderAt(2, at)) + telemetryFrame(numbered(3));
    checkEveryWay(stream, {withHeaderAt(2, at), numbered(3)}, cut);
}

void FrameScannerTest::streamOfHeadersOnlyGivesNoFrameAndHoldsFewBytes()
{
    // Feeding checks that never more than three frames' bytes are held.
    checkEveryWay(kHeader.repeated(1000) + telemetryFrame(numbered(1)), {numbered(1)}, 3000);
}

void FrameScannerTest::headerInEveryPayloadKeepsEveryFrameAndGivesItWithinTwoFrames()
{
    // Coolant, sensor and band 0 spell a header in a hundred frames in a
    // row, then the coolant warms up.
    QByteArray stream;
    QList<QByteArray> sent;
    for (int n = 0; n <= 100; ++n) {
        sent.append(n < 100 ? withHeaderAt(n, 20) : numbered(n));
        stream += telemetryFrame(sent.last());
    }
    checkEveryWay(stream, sent, 0);
}

void FrameScannerTest::finishGivesTheFramesHeldAsIfNothingFollowed_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QList<QByteArray>>("fed");
    QTest::addColumn<QList<QByteArray>>("finished");
    QTest::addColumn<int>("skipped");

    const QByteArray one = telemetryFrame(numbered(1));
    const auto hex = payloads::fromHex;
    const QByteArray endsInA4 = withHeaderAt(1, 34);
    const QByteArray endsInA4C0 = withHeaderAt(1, 33);
    const QByteArray inside = withHeaderAt(1, 10);
    const QByteArray inside2 = withHeaderAt(2, 20);

    QTest::newRow("frame ending in A4")
        << telemetryFrame(endsInA4) << QList<QByteArray>{} << QList<QByteArray>{endsInA4} << 0;
    QTest::newRow("frame ending in A4 C0")
        << telemetryFrame(endsInA4C0) << QList<QByteArray>{} << QList<QByteArray>{endsInA4C0} << 0;
    QTest::newRow("frame with a header inside")
        << telemetryFrame(inside) << QList<QByteArray>{} << QList<QByteArray>{inside} << 0;
    QTest::newRow("two frames with a header inside")
        << telemetryFrame(inside) + telemetryFrame(inside2) << QList<QByteArray>{inside}
        << QList<QByteArray>{inside2} << 0;
    QTest::newRow("frame with a header inside, then a cut one")
        << telemetryFrame(inside) + one.first(20) << QList<QByteArray>{inside}
        << QList<QByteArray>{} << 20;
    // The header's bytes inside it, and the cut one's 12, would look like a
    // frame with a header inside it, ending where the stream ends.
    QTest::newRow("frame with a header inside, then a shorter cut one")
        << telemetryFrame(inside) + one.first(12) << QList<QByteArray>{}
        << QList<QByteArray>{inside} << 12;
    QTest::newRow("frame cut short")
        << one.first(20) << QList<QByteArray>{} << QList<QByteArray>{} << 20;
    QTest::newRow("cut frame, then part of the next")
        << one.first(20) + telemetryFrame(numbered(2)).first(30) << QList<QByteArray>{}
        << QList<QByteArray>{} << 50;
    QTest::newRow("a header's beginning after a frame")
        << one + hex("A4 C0") << QList<QByteArray>{numbered(1)} << QList<QByteArray>{} << 2;
}

void FrameScannerTest::finishGivesTheFramesHeldAsIfNothingFollowed()
{
    QFETCH(QByteArray, stream);
    QFETCH(QList<QByteArray>, fed);
    QFETCH(QList<QByteArray>, finished);
    QFETCH(int, skipped);
    FrameScanner scanner;
    QCOMPARE(scanner.feed(stream), fed);
    QCOMPARE(scanner.finish(), finished);
    QCOMPARE(scanner.pendingBytes(), 0);
    QCOMPARE(scanner.skippedBytes(), skipped);
    QCOMPARE(scanner.neededBytes(), kFrameBytes);
    // The next stream starts afresh.
    QCOMPARE(scanner.feed(telemetryFrame(numbered(3))), QList<QByteArray>{numbered(3)});
}

void FrameScannerTest::scannerAsksForTheRestOfTheFrameItHolds()
{
    // One wake-up a frame for the reader that waits for the bytes asked for.
    QByteArray stream;
    for (int n = 0; n < 20; ++n)
        stream += telemetryFrame(numbered(n));
    const Outcome out = scanAtWakeUps(stream);
    QCOMPARE(out.payloads.size(), 20);
    QCOMPARE(out.feeds, 20);
    FrameScanner scanner;
    const QByteArray one = telemetryFrame(numbered(1));
    for (int k = 0; k < kFrameBytes; ++k) {
        QCOMPARE(scanner.neededBytes(), kFrameBytes - k);
        scanner.feed(one.sliced(k, 1));
    }
    QCOMPARE(scanner.neededBytes(), kFrameBytes);
    // Garbage holds nothing; a header's beginning is the frame's start.
    scanner.feed(payloads::fromHex("11 22 33 A4"));
    QCOMPARE(scanner.neededBytes(), kFrameBytes - 1);
}

void FrameScannerTest::anyStreamIsReadAlikeInAnyPiecesWithinBoundedMemory()
{
    // Streams of whole and cut frames, frames with headers inside, header
    // runs and garbage, mixed at random (the same every run).
    QRandomGenerator random(22);
    const auto hex = payloads::fromHex;
    for (int round = 0; round < 200; ++round) {
        QByteArray stream;
        for (int part = 0; part < 12; ++part) {
            const int n = int(random.bounded(256));
            switch (random.bounded(6)) {
            case 0:
                stream += telemetryFrame(numbered(n));
                break;
            case 1:
                stream += telemetryFrame(numbered(n)).first(random.bounded(1, kFrameBytes));
                break;
            case 2:
                stream += telemetryFrame(withHeaderAt(n, random.bounded(1, kPayloadLength + 1)));
                break;
            case 3:
                stream += kHeader.repeated(random.bounded(1, 20));
                break;
            case 4:
                for (int i = random.bounded(1, 40); i > 0; --i)
                    stream += char(random.bounded(256));
                break;
            default:
                stream += hex("A4 C0");
                break;
            }
        }
        QList<qsizetype> randomEnds;
        for (qsizetype at = random.bounded(1, 60); at < stream.size(); at += random.bounded(1, 60))
            randomEnds.append(at);
        const Outcome whole = scanInPieces(stream, {});
        checkAlikeEveryWay(stream, whole, {randomEnds});
        if (QTest::currentTestFailed())
            return;
    }
}

void FrameScannerTest::resetForgetsTheUnfinishedFrameAsSkipped()
{
    const QByteArray one = telemetryFrame(numbered(1));
    FrameScanner scanner;
    QVERIFY(scanner.feed(one.first(30)).isEmpty());
    scanner.reset();
    QCOMPARE(scanner.skippedBytes(), 30);
    QCOMPARE(scanner.pendingBytes(), 0);
    // The rest of the cut frame is garbage now; the next whole frame counts.
    QCOMPARE(scanner.feed(one.sliced(30) + telemetryFrame(numbered(2))),
             QList<QByteArray>{numbered(2)});
    QCOMPARE(scanner.skippedBytes(), 37);
}

QTEST_GUILESS_MAIN(FrameScannerTest)
#include "tst_framescanner.moc"
