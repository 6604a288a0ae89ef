#include "soak/framewalk.h"

#include <QTest>

using soak::FrameWalk;
using soak::UnitEvents;
using zcore::RecordEvent;
using zcore::RecordRow;

namespace {

// The payload of numbered frame n, as the unit sends it with --counter.
QByteArray numbered(qint64 n)
{
    QByteArray p(34, '\0');
    for (int i = 0; i < 31; ++i)
        p[i] = char(0x10 + i);
    p[31] = char(n & 0xFF);
    p[32] = char((n >> 8) & 0xFF);
    int sum = 0;
    for (int i = 0; i < 33; ++i)
        sum += static_cast<unsigned char>(p[i]);
    p[33] = char(sum & 0xFF);
    return p;
}

RecordRow frameRow(const QByteArray &payload, qint64 elapsedMs = 0)
{
    RecordRow row;
    row.event = RecordEvent::Frame;
    row.payload = payload;
    row.elapsedMs = elapsedMs;
    return row;
}

// Rows of numbered frames; 0 stands for a row of zero bytes.
zcore::Recording recordingOf(const QList<qint64> &numbers)
{
    zcore::Recording r;
    qint64 elapsed = 0;
    for (const qint64 n : numbers)
        r.rows.append(frameRow(n == 0 ? QByteArray(34, '\0') : numbered(n), elapsed += 100));
    return r;
}

UnitEvents unitSaying(const QStringList &lines)
{
    UnitEvents unit;
    for (const QString &line : lines)
        unit.take(line, 0);
    return unit;
}

QList<qint64> lostNumbers(const FrameWalk &walk)
{
    QList<qint64> numbers;
    for (const soak::LostFrame &l : walk.lost)
        numbers.append(l.number);
    return numbers;
}

} // namespace

class FrameWalkTest : public QObject {
    Q_OBJECT
private slots:
    void everyFrameRecordedLeavesNothingMissing();
    void gapsAreExplainedByTheFaultsThatCutOrZeroedThem_data();
    void gapsAreExplainedByTheFaultsThatCutOrZeroedThem();
    void frameAfterACutFrameIsLostAndTheMergedRowIsForeign();
    void zeroRowWithoutAZeroedFrameIsForeign();
    void repeatedOrBackwardNumbersAreForeign();
    void numbersCountOnAcrossTheWordsTurn();
    void commandsAndLinkEventsAreCounted();
};

void FrameWalkTest::everyFrameRecordedLeavesNothingMissing()
{
    const FrameWalk walk = walkFrames(recordingOf({5, 6, 7, 8}), UnitEvents());
    QCOMPARE(walk.frameRows, 4);
    QCOMPARE(walk.numberedRows, 4);
    QCOMPARE(walk.firstNumber, 5);
    QCOMPARE(walk.lastNumber, 8);
    QVERIFY(walk.lost.isEmpty());
    QVERIFY(walk.foreign.isEmpty());
    QCOMPARE(walk.cutCount(), 0);
}

void FrameWalkTest::gapsAreExplainedByTheFaultsThatCutOrZeroedThem_data()
{
    QTest::addColumn<QList<qint64>>("rows");
    QTest::addColumn<QStringList>("unit");
    QTest::addColumn<qint64>("cut");
    QTest::addColumn<qint64>("zeroed");
    QTest::addColumn<QList<qint64>>("lost");

    QTest::newRow("truncate") << QList<qint64>{1, 2, 6, 7}
                              << QStringList{"fault truncate 3 frames 3-5"} << 3ll << 0ll
                              << QList<qint64>{};
    QTest::newRow("unplug") << QList<qint64>{1, 2, 4} << QStringList{"fault unplug frame 3"} << 1ll
                            << 0ll << QList<qint64>{};
    QTest::newRow("zeros, a row of zero bytes each")
        << QList<qint64>{1, 0, 0, 4} << QStringList{"fault zeros 2 frames 2-3"} << 0ll << 2ll
        << QList<qint64>{};
    QTest::newRow("a zeroed frame without its row is lost")
        << QList<qint64>{1, 0, 4} << QStringList{"fault zeros 2 frames 2-3"} << 0ll << 1ll
        << QList<qint64>{3};
    QTest::newRow("zeroed and cut: no row")
        << QList<qint64>{1, 3} << QStringList{"fault zeros 1 frame 2", "fault truncate 1 frame 2"}
        << 1ll << 0ll << QList<qint64>{};
    QTest::newRow("nothing explains it")
        << QList<qint64>{1, 2, 4} << QStringList{"fault garbage 50 frame 3"} << 0ll << 0ll
        << QList<qint64>{3};
    QTest::newRow("late and gap cut nothing")
        << QList<qint64>{1, 3, 5} << QStringList{"fault late 500 frame 2", "fault gap 40 frame 4"}
        << 0ll << 0ll << QList<qint64>{2, 4};
}

void FrameWalkTest::gapsAreExplainedByTheFaultsThatCutOrZeroedThem()
{
    QFETCH(QList<qint64>, rows);
    QFETCH(QStringList, unit);
    QFETCH(qint64, cut);
    QFETCH(qint64, zeroed);
    QFETCH(QList<qint64>, lost);
    const FrameWalk walk = walkFrames(recordingOf(rows), unitSaying(unit));
    QCOMPARE(walk.cutCount(), cut);
    QCOMPARE(walk.zeroedMatched, zeroed);
    QCOMPARE(lostNumbers(walk), lost);
    QVERIFY(walk.foreign.isEmpty());
}

void FrameWalkTest::frameAfterACutFrameIsLostAndTheMergedRowIsForeign()
{
    // Frame 3 was cut after 12 bytes; the scanner took 25 bytes of frame 4
    // as the rest of its payload.
    const QByteArray merged =
        numbered(3).first(9) + QByteArray::fromHex("a4c000") + numbered(4).first(22);
    zcore::Recording r = recordingOf({1, 2});
    r.rows.append(frameRow(merged, 300));
    r.rows.append(frameRow(numbered(5), 500));
    const FrameWalk walk = walkFrames(r, unitSaying({"fault truncate 1 frame 3"}));
    QCOMPARE(walk.cutCount(), 1);
    QCOMPARE(walk.cutMissing.value("truncate"), 1);
    QCOMPARE(lostNumbers(walk), QList<qint64>{4});
    QVERIFY2(walk.lost[0].cause.contains("frame 3") && walk.lost[0].cause.contains("truncate"),
             qPrintable(walk.lost[0].cause));
    QCOMPARE(walk.foreign.size(), 1);
    QCOMPARE(walk.foreign[0].after, 2);
    QCOMPARE(walk.foreign[0].payload, merged);
}

void FrameWalkTest::zeroRowWithoutAZeroedFrameIsForeign()
{
    const FrameWalk walk = walkFrames(recordingOf({1, 0, 2}), UnitEvents());
    QCOMPARE(walk.zeroRows, 1);
    QCOMPARE(walk.foreign.size(), 1);
    QCOMPARE(walk.foreign[0].after, 1);
    QVERIFY(walk.lost.isEmpty());
}

void FrameWalkTest::repeatedOrBackwardNumbersAreForeign()
{
    const FrameWalk walk = walkFrames(recordingOf({1, 2, 2, 1, 3}), UnitEvents());
    QCOMPARE(walk.numberedRows, 3);
    QCOMPARE(walk.foreign.size(), 2);
    QVERIFY(walk.lost.isEmpty());
}

void FrameWalkTest::numbersCountOnAcrossTheWordsTurn()
{
    // Frames 65534 to 65538: 65536 is numbered 0 on the line.
    zcore::Recording r;
    for (const qint64 n : {65534ll, 65535ll, 65537ll, 65538ll})
        r.rows.append(frameRow(numbered(n)));
    const FrameWalk walk = walkFrames(r, unitSaying({"fault truncate 1 frame 65536"}));
    QCOMPARE(walk.lastNumber, 65538);
    QCOMPARE(walk.cutCount(), 1);
    QVERIFY(walk.lost.isEmpty());
}

void FrameWalkTest::commandsAndLinkEventsAreCounted()
{
    zcore::Recording r = recordingOf({1});
    RecordRow command;
    command.event = RecordEvent::Command;
    command.code = 1;
    command.value = 57;
    r.rows.append(command);
    RecordRow lost;
    lost.event = RecordEvent::DeviceLost;
    r.rows.append(lost);
    r.rows.append(frameRow(numbered(2)));
    const FrameWalk walk = walkFrames(r, UnitEvents());
    QCOMPARE(walk.commands.size(), 1);
    QCOMPARE(walk.commands[0].value, 57);
    QCOMPARE(walk.events.value("device-lost"), 1);
    QCOMPARE(walk.numberedRows, 2);
}

QTEST_GUILESS_MAIN(FrameWalkTest)
#include "framewalktest.moc"
