// The graph's model, without a window: samples from frames in physical
// units, the engine speed rule, the hour kept live, range and nearest
// queries, speed bands, the texts of command markers, where the lines break
// and a recording's rows as samples.
#include "core/decode.h"
#include "core/frame.h"
#include "support/payloads.h"
#include "telemetry/graphsamples.h"

#include <QTest>

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
    void speedIsTheHighestListEntry_data();
    void speedIsTheHighestListEntry();
    void sampleAnHourOlderThanTheNewestIsDropped();
    void rangeFindsTheSamplesBetweenTwoTimes();
    void nearestSampleIsTheClosestInTime();
    void bandOfASampleFollowsTheSpeedTable_data();
    void bandOfASampleFollowsTheSpeedTable();
    void fuelInUseFollowsTheMasksTopBit_data();
    void fuelInUseFollowsTheMasksTopBit();
    void injectionTimeIsTheMeanOfTheChannelsWithAReading_data();
    void injectionTimeIsTheMeanOfTheChannelsWithAReading();
    void commandMarkersReadAsTheSetting_data();
    void commandMarkersReadAsTheSetting();
    void linesBreakWhereFramesAreMissing_data();
    void linesBreakWhereFramesAreMissing();
    void breaksLeaveWithTheSamplesAnHourOld();
    void recordingRowsBecomeSamplesMarkersAndBreaks();
    void recordingConversionStopsWhenAsked();
};

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
}

void GraphSamplesTest::fuelInUseFollowsTheMasksTopBit_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<bool>("petrol");
    QTest::newRow("nothing set: gas") << 0 << false;
    QTest::newRow("128: petrol") << 128 << true;
    QTest::newRow("petrol with every row on") << 128 + 32 + 16 + 8 + 4 << true;
    QTest::newRow("rows on gas, bit 7 clear") << 32 + 16 + 8 + 4 << false;
    QTest::newRow("bit 6 is no fuel") << 64 << false;
    QTest::newRow("every bit") << 255 << true;
}

void GraphSamplesTest::fuelInUseFollowsTheMasksTopBit()
{
    QFETCH(int, mask);
    QFETCH(bool, petrol);
    zcore::LiveFrame frame = workedFrame();
    frame.mask = mask;
    QCOMPARE(graphSample(0, frame).petrol(), petrol);
}

void GraphSamplesTest::injectionTimeIsTheMeanOfTheChannelsWithAReading_data()
{
    using Words = std::array<int, 4>; // in 1..4
    QTest::addColumn<Words>("inWords");
    QTest::addColumn<double>("meanMs"); // -1: none
    QTest::newRow("every channel") << Words{255, 381, 507, 633} << 3.5;
    QTest::newRow("two without a reading")
        << Words{255, 0, 507, 0} << 3.0; // not (2 + 0 + 4 + 0) / 4
    QTest::newRow("one channel") << Words{0, 0, 0, 885} << 7.0;
    QTest::newRow("a reading of 0 ms counts") << Words{3, 255, 0, 0} << 1.0;
    QTest::newRow("no channel reads") << Words{} << -1.0;
}

void GraphSamplesTest::injectionTimeIsTheMeanOfTheChannelsWithAReading()
{
    using Words = std::array<int, 4>;
    QFETCH(Words, inWords);
    QFETCH(double, meanMs);
    zcore::LiveFrame frame;
    frame.inWord = inWords;
    frame.outWord.fill(18000);
    const auto got = meanInMs(graphSample(0, frame));
    if (meanMs < 0) {
        QVERIFY(!got);
        return;
    }
    QVERIFY(got);
    QCOMPARE(*got, meanMs);
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
    QCOMPARE(graphCommand(4200, code, value).text, text);
}

void GraphSamplesTest::linesBreakWhereFramesAreMissing_data()
{
    using Events = QList<std::pair<qint64, int>>; // ms, zcore::RecordEvent
    QTest::addColumn<QList<qint64>>("samples");
    QTest::addColumn<Events>("events");
    QTest::addColumn<QList<qsizetype>>("breaks"); // samples that start a new line
    const auto lost = int(zcore::RecordEvent::DeviceLost);
    const auto back = int(zcore::RecordEvent::DeviceReturned);
    const auto closed = int(zcore::RecordEvent::PortClosed);
    const auto open = int(zcore::RecordEvent::PortOpen);
    using Breaks = QList<qsizetype>;
    QTest::newRow("frames every 100 ms") << QList<qint64>{0, 100, 200} << Events{} << Breaks{};
    QTest::newRow("a second apart: no break")
        << QList<qint64>{0, 1000, 2000} << Events{} << Breaks{};
    QTest::newRow("more than a second apart")
        << QList<qint64>{0, 100, 1101, 1200, 5000} << Events{} << Breaks{2, 4};
    QTest::newRow("device lost, frames sooner after")
        << QList<qint64>{0, 100, 200, 300} << Events{{150, lost}, {160, back}} << Breaks{2};
    QTest::newRow("port closed and opened again")
        << QList<qint64>{0, 100, 200} << Events{{40, closed}, {60, open}} << Breaks{1};
    QTest::newRow("device back or port opened alone: no break")
        << QList<qint64>{0, 100, 200} << Events{{50, back}, {150, open}} << Breaks{};
    QTest::newRow("event with the earlier sample's time: between them")
        << QList<qint64>{0, 100, 200} << Events{{100, lost}} << Breaks{2};
    QTest::newRow("event with the later sample's time: after it")
        << QList<qint64>{0, 100, 200} << Events{{200, lost}} << Breaks{};
    QTest::newRow("two events and a gap between two samples: one break")
        << QList<qint64>{0, 3000} << Events{{10, lost}, {20, closed}} << Breaks{1};
    QTest::newRow("events before the first and after the last sample")
        << QList<qint64>{500, 600} << Events{{100, lost}, {700, closed}} << Breaks{};
    QTest::newRow("no sample") << QList<qint64>{} << Events{{100, lost}} << Breaks{};
}

void GraphSamplesTest::linesBreakWhereFramesAreMissing()
{
    using Events = QList<std::pair<qint64, int>>;
    QFETCH(QList<qint64>, samples);
    QFETCH(Events, events);
    QFETCH(QList<qsizetype>, breaks);
    GraphSamples model;
    for (const auto &[ms, event] : std::as_const(events))
        model.addLinkEvent({ms, zcore::RecordEvent(event)});
    for (const qint64 ms : std::as_const(samples))
        model.add(sampleAt(ms));
    const std::vector<qsizetype> found = model.breaksIn(model.all());
    QCOMPARE(QList<qsizetype>(found.begin(), found.end()), breaks);
    QCOMPARE(model.breakCount(), breaks.size());
    QCOMPARE(model.linkEvents(INT64_MIN, INT64_MAX).size(), size_t(events.size()));
}

void GraphSamplesTest::breaksLeaveWithTheSamplesAnHourOld()
{
    GraphSamples samples;
    samples.add(sampleAt(0));
    samples.addLinkEvent({50, zcore::RecordEvent::DeviceLost});
    samples.add(sampleAt(100));
    samples.add(sampleAt(5000)); // more than a second later
    QCOMPARE(samples.breakCount(), 2);
    // Of a range: indices into the range given.
    const std::vector<qsizetype> inRange = samples.breaksIn(samples.range(100, 5000));
    QCOMPARE(inRange, std::vector<qsizetype>{1});

    samples.add(sampleAt(3'600'101)); // the first two samples and the event leave
    QCOMPARE(samples.count(), 2);
    QVERIFY(samples.linkEvents(INT64_MIN, INT64_MAX).empty());
    QCOMPARE(samples.breakCount(), 1);
}

void GraphSamplesTest::recordingRowsBecomeSamplesMarkersAndBreaks()
{
    const QByteArray payload = *zcore::framePayload(payloads::workedFrame());
    zcore::Recording recording;
    const auto row = [](qint64 ms, zcore::RecordEvent event, const QByteArray &bytes = {}) {
        zcore::RecordRow r;
        r.elapsedMs = ms;
        r.event = event;
        r.payload = bytes;
        return r;
    };
    recording.rows = {row(0, zcore::RecordEvent::PortOpen),
                      row(100, zcore::RecordEvent::Frame, payload),
                      row(200, zcore::RecordEvent::Frame, payload),
                      row(250, zcore::RecordEvent::DeviceLost),
                      row(260, zcore::RecordEvent::DeviceReturned),
                      row(300, zcore::RecordEvent::Frame, payload),
                      row(300, zcore::RecordEvent::Command),
                      row(400, zcore::RecordEvent::RecordingStopped)};
    recording.rows[6].code = 1;
    recording.rows[6].value = 57;
    recording.droppedBytes = 120;
    recording.skippedRows = 3;
    const auto graph = graphRecording(recording);
    QVERIFY(graph);
    QCOMPARE(graph->samples.count(), 3);
    QCOMPARE(graph->samples.newest()->inMs[0], (500 - 3) / 126.0);
    QCOMPARE(graph->samples.commandCount(), 1);
    QCOMPARE(graph->samples.commands(0, 400).front().text, QStringLiteral("Kalori 2 → 57"));
    QCOMPARE(graph->samples.linkEvents(0, 400).size(), size_t(3));
    QCOMPARE(graph->samples.breakCount(), 1);
    QCOMPARE(graph->droppedBytes, 120);
    QCOMPARE(graph->skippedRows, 3);
}

void GraphSamplesTest::recordingConversionStopsWhenAsked()
{
    zcore::Recording recording;
    zcore::RecordRow frame;
    frame.payload = *zcore::framePayload(payloads::workedFrame());
    for (int i = 0; i < 200'000; ++i) {
        frame.elapsedMs = i * 100;
        recording.rows.append(frame);
    }
    QList<qsizetype> told;
    const auto stopped = graphRecording(recording, [&told](qsizetype done, qsizetype total) {
        told.append(done);
        return total == 200'000 && told.size() < 2;
    });
    QVERIFY(!stopped);
    QCOMPARE(told.size(), 2);
    QVERIFY(told[0] > 0 && told[1] > told[0]);
    const auto whole = graphRecording(recording, [](qsizetype, qsizetype) { return true; });
    QVERIFY(whole);
    QCOMPARE(whole->samples.count(), 200'000);
}

QTEST_GUILESS_MAIN(GraphSamplesTest)
#include "tst_graphsamples.moc"
