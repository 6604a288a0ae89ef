// The streaming frame scanner: every frame in a stream of bytes, however the
// stream is cut into reads.
#include "core/frame.h"
#include "core/framescanner.h"
#include "support/payloads.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zcore;

namespace {

const QByteArray kHeader = payloads::fromHex("A4 C0 00");

// A payload told apart from others by its first and last bytes.
QByteArray numbered(int n) { return payloads::payload({{1, n}, {34, 255 - n}}); }

// A payload that holds the header's bytes, at its start and across its end.
QByteArray headerInside()
{
    return payloads::payload({{1, 0xA4}, {2, 0xC0}, {3, 0x00}, {33, 0xA4}, {34, 0xC0}});
}

QList<QByteArray> feedAll(FrameScanner &scanner, const QByteArrayList &chunks)
{
    QList<QByteArray> out;
    for (const QByteArray &chunk : chunks)
        out += scanner.feed(chunk);
    return out;
}

} // namespace

class FrameScannerTest : public QObject {
    Q_OBJECT
private slots:
    void twoBackToBackFramesSplitAtAnyByteGiveBothPayloads_data();
    void twoBackToBackFramesSplitAtAnyByteGiveBothPayloads();
    void streamsGiveTheirPayloadsAndCountTheSkippedBytes_data();
    void streamsGiveTheirPayloadsAndCountTheSkippedBytes();
    void resetForgetsTheUnfinishedFrameAsSkipped();
};

void FrameScannerTest::twoBackToBackFramesSplitAtAnyByteGiveBothPayloads_data()
{
    QTest::addColumn<int>("split");
    const int length = 2 * (kHeader.size() + kPayloadLength);
    for (int split = 0; split <= length; ++split)
        QTest::addRow("split after %d bytes", split) << split;
}

void FrameScannerTest::twoBackToBackFramesSplitAtAnyByteGiveBothPayloads()
{
    QFETCH(int, split);
    const QByteArray stream = telemetryFrame(numbered(1)) + telemetryFrame(headerInside());
    FrameScanner scanner;
    const QList<QByteArray> first = scanner.feed(QByteArrayView(stream).first(split));
    QCOMPARE(first.size(), split / 37);
    QCOMPARE(scanner.pendingBytes(), split % 37);
    const QList<QByteArray> all = first + scanner.feed(QByteArrayView(stream).sliced(split));
    QCOMPARE(all, (QList<QByteArray>{numbered(1), headerInside()}));
    QCOMPARE(scanner.skippedBytes(), 0);
    QCOMPARE(scanner.pendingBytes(), 0);
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
