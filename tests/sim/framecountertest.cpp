#include "sim/framecounter.h"

#include "support/payloads.h"

#include <QTest>

using zsim::FrameCounter;

namespace {

QByteArray frame() { return payloads::countingFrame(); }

// A payload position (from 1) of a whole frame.
int at(const QByteArray &frame, int position)
{
    return static_cast<unsigned char>(frame[2 + position]);
}

int numberIn(const QByteArray &frame) { return at(frame, 32) | at(frame, 33) << 8; }

} // namespace

class FrameCounterTest : public QObject {
    Q_OBJECT
private slots:
    void framesAreNumberedFromOneAtPositions32And33_data();
    void framesAreNumberedFromOneAtPositions32And33();
    void sumAtPosition34CoversPositions1To33();
    void chunkThatIsNoWholeFrameIsCountedAndLeftAsItIs_data();
    void chunkThatIsNoWholeFrameIsCountedAndLeftAsItIs();
};

void FrameCounterTest::framesAreNumberedFromOneAtPositions32And33_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("number");
    QTest::newRow("the first") << 1 << 1;
    QTest::newRow("the 300th, both bytes") << 300 << 300;
    QTest::newRow("the last before the word turns") << 65535 << 65535;
    QTest::newRow("the word turns") << 65536 << 0;
    QTest::newRow("and counts on") << 65538 << 2;
}

void FrameCounterTest::framesAreNumberedFromOneAtPositions32And33()
{
    QFETCH(int, frames);
    QFETCH(int, number);
    FrameCounter counter;
    QByteArray last;
    for (int i = 0; i < frames; ++i)
        last = counter.stamp(frame());
    QCOMPARE(counter.count(), quint32(frames));
    QCOMPARE(numberIn(last), number);
    QCOMPARE(at(last, 32), number & 0xFF); // little end first
    // The header and every position before the number stay as they were.
    QCOMPARE(last.first(3 + 31), frame().first(3 + 31));
    QCOMPARE(last.size(), frame().size());
}

void FrameCounterTest::sumAtPosition34CoversPositions1To33()
{
    FrameCounter counter;
    for (int i = 0; i < 600; ++i) {
        const QByteArray stamped = counter.stamp(frame());
        int sum = 0;
        for (int position = 1; position <= 33; ++position)
            sum += at(stamped, position);
        QCOMPARE(at(stamped, 34), sum & 0xFF);
    }
}

void FrameCounterTest::chunkThatIsNoWholeFrameIsCountedAndLeftAsItIs_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::newRow("one payload byte short") << frame().first(36);
    QTest::newRow("no header") << QByteArray(37, '\x11');
    QTest::newRow("the header later") << QByteArray::fromHex("55") + frame();
    QTest::newRow("empty") << QByteArray();
}

void FrameCounterTest::chunkThatIsNoWholeFrameIsCountedAndLeftAsItIs()
{
    QFETCH(QByteArray, chunk);
    FrameCounter counter;
    counter.stamp(frame());
    QCOMPARE(counter.stamp(chunk), chunk);
    QCOMPARE(counter.count(), 2u);
    // The next whole frame has the number after it.
    QCOMPARE(numberIn(counter.stamp(frame())), 3);
}

QTEST_GUILESS_MAIN(FrameCounterTest)
#include "framecountertest.moc"
