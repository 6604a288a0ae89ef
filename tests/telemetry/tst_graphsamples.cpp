// The graph's model, without a window: samples from frames in physical
// units, the engine speed rule, the hour kept live, range and nearest
// queries, speed bands and the texts of command markers.
#include "core/decode.h"
#include "core/frame.h"
#include "support/payloads.h"
#include "telemetry/graphsamples.h"

#include <QTest>

#include <cmath>

namespace {

zcore::LiveFrame workedFrame()
{
    return zcore::decodePayload(*zcore::framePayload(payloads::workedFrame()));
}

GraphSample sampleAt(qint64 ms, std::optional<double> rpm = std::nullopt)
{
    GraphSample s;
    s.elapsedMs = ms;
    s.rpm = rpm;
    return s;
}

} // namespace

class GraphSamplesTest : public QObject {
    Q_OBJECT
private slots:
    void workedFrameGivesPhysicalValues();
    void speedIsTheHighestListEntry_data();
    void speedIsTheHighestListEntry();
    void sampleAnHourOlderThanTheNewestIsDropped();
    void rangeFindsTheSamplesBetweenTwoTimes();
    void nearestSampleIsTheClosestInTime();
    void bandOfASampleFollowsTheSpeedTable_data();
    void bandOfASampleFollowsTheSpeedTable();
    void commandMarkersReadAsTheSetting_data();
    void commandMarkersReadAsTheSetting();
};

void GraphSamplesTest::workedFrameGivesPhysicalValues()
{
    const GraphSample s = graphSample(1234, workedFrame());
    QCOMPARE(s.elapsedMs, 1234);
    QCOMPARE(s.inMs[0], (500 - 3) / 126.0); // 3.94 ms
    QVERIFY(std::isnan(s.inMs[1]));         // word 0: no reading
    QCOMPARE(s.inMs[2], (1000 - 3) / 126.0);
    QCOMPARE(s.inMs[3], 1.0);
    QCOMPARE(s.outMs[0], (1500 - 3) / 126.0);
    QCOMPARE(s.outMs[1], 0.0);
    QCOMPARE(s.outMs[2], (1000 - 3) / 126.0);
    QVERIFY(std::isnan(s.outMs[3]));
    QVERIFY(s.rpm);
    QCOMPARE(*s.rpm, 2 * 60000.0 / ((2000 - 3) / 126.0)); // channels 1 and 3: 7571.36
    QCOMPARE(s.coolantC, 230.0 - 0x8C);
    QCOMPARE(s.switchOverC, 230.0 - 0xA0);
    QCOMPARE(s.tankLevel, 0x64);
    QCOMPARE(s.bands, (std::array<int, 4>{10, 20, 30, 40}));
}

void GraphSamplesTest::speedIsTheHighestListEntry_data()
{
    using Words = std::array<int, 8>; // in 1..4, out 1..4
    QTest::addColumn<Words>("words");
    QTest::addColumn<double>("rpm"); // -1: none
    QTest::newRow("no channel reads") << Words{} << -1.0;
    QTest::newRow("idle on every channel")
        << Words{300, 300, 300, 300, 18603, 18603, 18603, 18603} << 800.0;
    QTest::newRow("highest entry wins") << Words{300, 0, 300, 300, 18603, 0, 4743, 1593} << 3000.0;
    QTest::newRow("4000 or more per channel is no entry")
        << Words{300, 0, 0, 0, 1593, 0, 0, 0} << -1.0;
    QTest::newRow("200 or less per channel is no entry")
        << Words{300, 300, 0, 0, 37503, 18603, 0, 0} << 800.0;
    QTest::newRow("in word 0 is no entry") << Words{0, 0, 0, 0, 18903, 0, 0, 0} << -1.0;
}

void GraphSamplesTest::speedIsTheHighestListEntry()
{
    using Words = std::array<int, 8>;
    QFETCH(Words, words);
    QFETCH(double, rpm);
    zcore::LiveFrame f;
    for (size_t c = 0; c < 4; ++c) {
        f.inWord[c] = words[c];
        f.outWord[c] = words[c + 4];
    }
    QCOMPARE(graphSample(0, f).rpm.value_or(-1.0), rpm);
}

void GraphSamplesTest::sampleAnHourOlderThanTheNewestIsDropped()
{
    GraphSamples samples;
    samples.add(sampleAt(0));
    samples.add(sampleAt(1000));
    samples.add(sampleAt(3'600'000));
    QCOMPARE(samples.count(), 3); // exactly an hour old: kept
    samples.add(sampleAt(3'600'001));
    QCOMPARE(samples.count(), 3);
    QCOMPARE(samples.oldest()->elapsedMs, 1000);
    QCOMPARE(samples.newest()->elapsedMs, 3'600'001);

    GraphSamples everything(GraphSamples::kKeepAll);
    everything.add(sampleAt(0));
    everything.add(sampleAt(10'000'000));
    QCOMPARE(everything.count(), 2);
}

void GraphSamplesTest::rangeFindsTheSamplesBetweenTwoTimes()
{
    GraphSamples samples;
    for (qint64 ms = 0; ms <= 1000; ms += 100)
        samples.add(sampleAt(ms));
    samples.add(sampleAt(450)); // late: goes in its place
    const auto inside = samples.range(250, 600);
    QCOMPARE(inside.size(), size_t(5));
    QCOMPARE(inside.front().elapsedMs, 300);
    QCOMPARE(inside[2].elapsedMs, 450);
    QCOMPARE(inside.back().elapsedMs, 600); // both ends count
    QCOMPARE(samples.range(300, 300).size(), size_t(1));
    QVERIFY(samples.range(1001, 5000).empty());
    QVERIFY(samples.range(-50, -1).empty());
    QCOMPARE(samples.range(-50, 5000).size(), size_t(12));
}

void GraphSamplesTest::nearestSampleIsTheClosestInTime()
{
    GraphSamples samples;
    QVERIFY(!samples.nearest(0));
    for (qint64 ms : {100, 200, 400})
        samples.add(sampleAt(ms));
    QCOMPARE(samples.nearest(-10)->elapsedMs, 100);
    QCOMPARE(samples.nearest(260)->elapsedMs, 200);
    QCOMPARE(samples.nearest(300)->elapsedMs, 200); // a tie: the earlier
    QCOMPARE(samples.nearest(340)->elapsedMs, 400);
    QCOMPARE(samples.nearest(9999)->elapsedMs, 400);
}

void GraphSamplesTest::bandOfASampleFollowsTheSpeedTable_data()
{
    QTest::addColumn<double>("rpm"); // -1: none
    QTest::addColumn<int>("band");   // -1: none
    QTest::newRow("no speed") << -1.0 << -1;
    QTest::newRow("idle") << 815.0 << 0;
    QTest::newRow("1500") << 1500.0 << 1;
    QTest::newRow("2500") << 2500.0 << 2;
    QTest::newRow("4000") << 4000.0 << 3;
}

void GraphSamplesTest::bandOfASampleFollowsTheSpeedTable()
{
    QFETCH(double, rpm);
    QFETCH(int, band);
    const auto got = speedBand(sampleAt(0, rpm < 0 ? std::nullopt : std::optional(rpm)));
    QCOMPARE(got.value_or(-1), band);
    QCOMPARE(speedBandName(1), QStringLiteral("1500-2500 rpm"));
}

void GraphSamplesTest::commandMarkersReadAsTheSetting_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("band 1") << 0 << 100 << "Kalori 1 → 100";
    QTest::newRow("band 2") << 1 << 57 << "Kalori 2 → 57";
    QTest::newRow("mask") << 4 << 60 << "Yakıt/Silindir → 60";
    QTest::newRow("switch-over") << 5 << 195 << "Geçiş ısısı → 35 °C";
    QTest::newRow("full") << 6 << 200 << "Seviye Dolu → 200";
    QTest::newRow("1/4") << 9 << 60 << "Seviye 1/4 → 60";
    QTest::newRow("empty") << 10 << 15 << "Seviye Boş → 15";
}

void GraphSamplesTest::commandMarkersReadAsTheSetting()
{
    QFETCH(int, code);
    QFETCH(int, value);
    QFETCH(QString, text);
    const GraphCommand c = graphCommand(4200, code, value);
    QCOMPARE(c.text, text);
    QCOMPARE(c.elapsedMs, 4200);
    QCOMPARE(c.code, code);
    QCOMPARE(c.value, value);
}

QTEST_GUILESS_MAIN(GraphSamplesTest)
#include "tst_graphsamples.moc"
