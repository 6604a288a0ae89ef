#include "sim/replayframesource.h"
#include "core/frame.h"

#include <QTest>

#include <cmath>

using zcore::Recording;
using zcore::RecordRow;
using zsim::ReplayFrameSource;

namespace {

// A payload told apart by its first byte.
QByteArray payload(int n)
{
    QByteArray p(zcore::kPayloadLength, '\0');
    p[0] = char(n);
    return p;
}

RecordRow row(qint64 elapsedMs, zcore::RecordEvent event, int n = 0)
{
    RecordRow r;
    r.time = QDateTime(QDate(2026, 12, 7), QTime(14, 5, 31), Qt::UTC).addMSecs(elapsedMs);
    r.elapsedMs = elapsedMs;
    r.event = event;
    if (r.event == zcore::RecordEvent::Frame)
        r.payload = payload(n);
    if (r.event == zcore::RecordEvent::Command) {
        r.code = 1;
        r.value = 57;
    }
    return r;
}

// Frames 1 to 4 at 12, 112, 112 and 350 ms, among other rows.
Recording fourFrames()
{
    using E = zcore::RecordEvent;
    return {{row(0, E::PortOpen), row(12, E::Frame, 1), row(105, E::Command), row(112, E::Frame, 2),
             row(112, E::Frame, 3), row(200, E::DeviceLost), row(300, E::DeviceReturned),
             row(350, E::Frame, 4), row(400, E::PortClosed), row(401, E::RecordingStopped)}};
}

using Schedule = QList<std::pair<double, int>>;

// The frames a source gives with the time each is due, up to count.
Schedule schedule(ReplayFrameSource &source, int count)
{
    Schedule out;
    for (int i = 0; i < count; ++i) {
        const double due = source.nextDueMs().value_or(-1.0);
        if (std::isinf(due))
            break;
        const QByteArray frame = source.nextFrame(0.0);
        if (frame.size() != 37 || frame.first(3) != QByteArray::fromHex("A4C000"))
            return {};
        out.append({due, int(frame[3])});
    }
    return out;
}

// The same frames due at the same times, to a nanosecond.
void compareSchedules(const Schedule &got, const Schedule &expected)
{
    QCOMPARE(got.size(), expected.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        QVERIFY2(std::abs(got[i].first - expected[i].first) < 1e-9,
                 qPrintable(QStringLiteral("frame %1 due at %2, not %3")
                                .arg(i)
                                .arg(got[i].first)
                                .arg(expected[i].first)));
        QCOMPARE(got[i].second, expected[i].second);
    }
}

} // namespace

Q_DECLARE_METATYPE(zcore::Recording)

class ReplayFrameSourceTest : public QObject {
    Q_OBJECT
private slots:
    void framesComeInRecordedOrderWithTheirSpacingScaled_data();
    void framesComeInRecordedOrderWithTheirSpacingScaled();
    void loopStartsAgainOneAverageSpacingAfterTheLastFrame_data();
    void loopStartsAgainOneAverageSpacingAfterTheLastFrame();
    void commandsAreNotApplied();
    void recordingWithoutFramesHasNothingToSend();
};

void ReplayFrameSourceTest::framesComeInRecordedOrderWithTheirSpacingScaled_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<Schedule>("expected");
    QTest::newRow("as recorded") << 1.0 << Schedule{{0, 1}, {100, 2}, {100, 3}, {338, 4}};
    QTest::newRow("twice as fast") << 2.0 << Schedule{{0, 1}, {50, 2}, {50, 3}, {169, 4}};
    QTest::newRow("half as fast") << 0.5 << Schedule{{0, 1}, {200, 2}, {200, 3}, {676, 4}};
    QTest::newRow("slowest") << 0.1 << Schedule{{0, 1}, {1000, 2}, {1000, 3}, {3380, 4}};
    QTest::newRow("fastest") << 100.0 << Schedule{{0, 1}, {1, 2}, {1, 3}, {3.38, 4}};
}

void ReplayFrameSourceTest::framesComeInRecordedOrderWithTheirSpacingScaled()
{
    QFETCH(double, speed);
    QFETCH(Schedule, expected);
    ReplayFrameSource source(fourFrames(), speed, false);
    QCOMPARE(source.frameCount(), 4);
    compareSchedules(schedule(source, 10), expected);
    // Then silence: nothing more is due, and asking gives nothing.
    QVERIFY(std::isinf(*source.nextDueMs()));
    QVERIFY(source.nextFrame(0.1).isEmpty());
}

void ReplayFrameSourceTest::loopStartsAgainOneAverageSpacingAfterTheLastFrame_data()
{
    using E = zcore::RecordEvent;
    QTest::addColumn<Recording>("recording");
    QTest::addColumn<double>("speed");
    QTest::addColumn<Schedule>("expected");
    // Span 338 ms over three spacings: a pass lasts 338 + 338 / 3 ms.
    const double pass = 338.0 + 338.0 / 3;
    QTest::newRow("four frames") << fourFrames() << 1.0
                                 << Schedule{{0, 1},          {100, 2},        {100, 3},
                                             {338, 4},        {pass, 1},       {pass + 100, 2},
                                             {pass + 100, 3}, {pass + 338, 4}, {2 * pass, 1}};
    QTest::newRow("four frames, twice as fast")
        << fourFrames() << 2.0
        << Schedule{{0, 1}, {50, 2}, {50, 3}, {169, 4}, {pass / 2, 1}, {pass / 2 + 50, 2}};
    QTest::newRow("one frame: every 100 ms") << Recording{{row(40, E::Frame, 9)}} << 1.0
                                             << Schedule{{0, 9}, {100, 9}, {200, 9}, {300, 9}};
    QTest::newRow("one frame, ten times as fast")
        << Recording{{row(40, E::Frame, 9)}} << 10.0 << Schedule{{0, 9}, {10, 9}, {20, 9}};
    QTest::newRow("two frames in the same millisecond")
        << Recording{{row(40, E::Frame, 1), row(40, E::Frame, 2)}} << 1.0
        << Schedule{{0, 1}, {0, 2}, {100, 1}, {100, 2}, {200, 1}};
}

void ReplayFrameSourceTest::loopStartsAgainOneAverageSpacingAfterTheLastFrame()
{
    QFETCH(Recording, recording);
    QFETCH(double, speed);
    QFETCH(Schedule, expected);
    ReplayFrameSource source(recording, speed, true);
    compareSchedules(schedule(source, int(expected.size())), expected);
}

void ReplayFrameSourceTest::commandsAreNotApplied()
{
    ReplayFrameSource source(fourFrames(), 1.0, false);
    QVERIFY(!source.apply(1, 57));
    QVERIFY(!source.apply(4, 128));
    QCOMPARE(source.nextFrame(0.1), zcore::telemetryFrame(payload(1)));
}

void ReplayFrameSourceTest::recordingWithoutFramesHasNothingToSend()
{
    using E = zcore::RecordEvent;
    ReplayFrameSource source(Recording{{row(0, E::PortOpen), row(5, E::RecordingStopped)}}, 1.0,
                             true);
    QCOMPARE(source.frameCount(), 0);
    QVERIFY(std::isinf(*source.nextDueMs()));
    QVERIFY(source.nextFrame(0.1).isEmpty());
}

QTEST_GUILESS_MAIN(ReplayFrameSourceTest)
#include "replayframesourcetest.moc"
