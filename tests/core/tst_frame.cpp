#include "core/frame.h"
#include "support/payloads.h"

#include <QTest>

using namespace zcore;

namespace {
// A read of the given length with the header at the given 1-based position.
QByteArray readWithHeaderAt(int length, int position)
{
    QByteArray read(length, char(0x55));
    read[position - 1] = char(0xA4);
    read[position] = char(0xC0);
    read[position + 1] = char(0x00);
    return read;
}
} // namespace

class FrameTest : public QObject {
    Q_OBJECT
private slots:
    void frameIsAcceptedOnlyWithAFullPayloadAfterTheHeader_data();
    void frameIsAcceptedOnlyWithAFullPayloadAfterTheHeader();
    void payloadStartsAfterTheFirstHeaderOnly();
    void headerNeedsAllThreeBytesInOrder_data();
    void headerNeedsAllThreeBytesInOrder();
    void diagnosticLineIsThirtyHexPairs();
    void commandFrameIsHeaderCodeValueAndOutOfRangeGivesNone_data();
    void commandFrameIsHeaderCodeValueAndOutOfRangeGivesNone();
};

void FrameTest::frameIsAcceptedOnlyWithAFullPayloadAfterTheHeader_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("headerAt");
    QTest::addColumn<int>("payloadLength"); // -1: rejected
    QTest::newRow("37 with header first") << 37 << 1 << 34;
    QTest::newRow("38 with header at 2") << 38 << 2 << 34;
    QTest::newRow("36 with header first: payload 33") << 36 << 1 << -1;
    QTest::newRow("50 with header at 14") << 50 << 14 << 34;
    QTest::newRow("50 with header at 15: payload 33") << 50 << 15 << -1;
    QTest::newRow("50 with header first keeps the rest") << 50 << 1 << 47;
    QTest::newRow("header in the last two bytes") << 50 << 48 << -1;
}

void FrameTest::frameIsAcceptedOnlyWithAFullPayloadAfterTheHeader()
{
    QFETCH(int, length);
    QFETCH(int, headerAt);
    QFETCH(int, payloadLength);
    const auto payload = framePayload(readWithHeaderAt(length, headerAt));
    QCOMPARE(payload.has_value(), payloadLength >= 0);
    if (payload)
        QCOMPARE(payload->size(), payloadLength);
}

void FrameTest::payloadStartsAfterTheFirstHeaderOnly()
{
    // The first header is too late for a payload; the search does not go on.
    QByteArray read = readWithHeaderAt(50, 20);
    read[0] = char(0xA4);
    read[1] = char(0xC0);
    read[2] = char(0x00);
    const auto payload = framePayload(read);
    QVERIFY(payload);
    QCOMPARE(payload->size(), 47);
    QCOMPARE(quint8(payload->at(16)), quint8(0xA4)); // the second header is payload
}

void FrameTest::headerNeedsAllThreeBytesInOrder_data()
{
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<int>("index");
    QTest::newRow("exact") << payloads::fromHex("A4 C0 00") << 0;
    QTest::newRow("after noise") << payloads::fromHex("00 A4 A4 C0 00") << 2;
    QTest::newRow("wrong order") << payloads::fromHex("C0 A4 00") << -1;
    QTest::newRow("last byte missing") << payloads::fromHex("11 A4 C0") << -1;
    QTest::newRow("command frame is not a header") << payloads::fromHex("A4 01 39") << -1;
    QTest::newRow("empty") << QByteArray() << -1;
}

void FrameTest::headerNeedsAllThreeBytesInOrder()
{
    QFETCH(QByteArray, read);
    QFETCH(int, index);
    QCOMPARE(findTelemetryHeader(read), qsizetype(index));
}

void FrameTest::diagnosticLineIsThirtyHexPairs()
{
    const auto payload = framePayload(payloads::workedFrame());
    QVERIFY(payload);
    QCOMPARE(diagnosticLine(*payload).size(), 30 * 2 + 29);
    QVERIFY(diagnosticLine(payloads::fromHex("0A FF 00")).startsWith(QStringLiteral("0A-FF-00")));
}

void FrameTest::commandFrameIsHeaderCodeValueAndOutOfRangeGivesNone_data()
{
    QTest::addColumn<double>("code");
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("bytes"); // empty: no frame at all
    QTest::newRow("mask 164") << 4.0 << 164.0 << payloads::fromHex("A4 04 A4");
    QTest::newRow("57.5 to 58") << 2.0 << 57.5 << payloads::fromHex("A4 02 3A");
    QTest::newRow("56.5 to 56") << 2.0 << 56.5 << payloads::fromHex("A4 02 38");
    QTest::newRow("zero is a byte") << 0.0 << 0.0 << payloads::fromHex("A4 00 00");
    QTest::newRow("temperature 90") << 5.0 << 140.0 << payloads::fromHex("A4 05 8C");
    QTest::newRow("value 256") << 0.0 << 256.0 << QByteArray();
    QTest::newRow("value 255.5") << 0.0 << 255.5 << QByteArray();
    QTest::newRow("value -1") << 5.0 << -1.0 << QByteArray();
    QTest::newRow("temperature 231") << 5.0 << 230.0 - 231.0 << QByteArray();
    QTest::newRow("code 300") << 300.0 << 1.0 << QByteArray();
}

void FrameTest::commandFrameIsHeaderCodeValueAndOutOfRangeGivesNone()
{
    QFETCH(double, code);
    QFETCH(double, value);
    QFETCH(QByteArray, bytes);
    const auto frame = commandFrame(code, value);
    QCOMPARE(frame.has_value(), !bytes.isEmpty());
    if (frame)
        QCOMPARE(QByteArray(frame->data(), 3), bytes);
}

QTEST_APPLESS_MAIN(FrameTest)
#include "tst_frame.moc"
