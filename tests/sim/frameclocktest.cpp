#include "sim/frameclock.h"
#include "sim/wirepacer.h"

#include <QTest>

#include <algorithm>

using zsim::FrameClock;
using zsim::WirePacer;

namespace {

// The transmitter's way without its timer: at each tick, frames as the
// clock gives them, each of 37 bytes handed to the line as the pacer lets
// them go, the next built only once the last is all handed over.
struct Run {
    int frames = 0;
    int skipped = 0;
    double engineSeconds = 0.0;
};

Run send(FrameClock &clock, WirePacer &pacer, const QList<double> &ticks, double untilMs,
         double fromMs = 0.0, Run run = {})
{
    qsizetype left = 0;
    qsizetype tick = 0;
    for (double now = fromMs; now < untilMs; now += ticks[tick++ % ticks.size()]) {
        for (;;) {
            if (left == 0) {
                const auto period = clock.take(now);
                if (!period)
                    break;
                ++run.frames;
                run.skipped += clock.lastSkipped() ? 1 : 0;
                run.engineSeconds += *period;
                left = FrameClock::kFrameBytes;
            }
            const qsizetype count = std::min(left, pacer.allowance(now));
            pacer.sent(count, now);
            left -= count;
            if (left > 0)
                break;
        }
    }
    return run;
}

} // namespace

class FrameClockTest : public QObject {
    Q_OBJECT
private slots:
    void timeScaleGivesTenTimesXFramesAWallSecond_data();
    void timeScaleGivesTenTimesXFramesAWallSecond();
    void rateTheLineCannotCarrySkipsPeriodsAsBefore_data();
    void rateTheLineCannotCarrySkipsPeriodsAsBefore();
    void longHoldIsNotMadeUpForWithABurst();
    void lostPeriodsAreRunThroughByTheNextFrame();
};

void FrameClockTest::timeScaleGivesTenTimesXFramesAWallSecond_data()
{
    QTest::addColumn<double>("timeScale");
    QTest::addColumn<QList<double>>("ticks"); // ms between ticks, in turn
    const QList<double> even{10.0};
    // Late and early ticks as a busy machine gives them: 10 ms on average.
    const QList<double> uneven{4.0, 23.0, 7.0, 13.0, 3.0, 17.0, 8.0, 5.0};
    for (const double scale : {1.0, 2.5, 10.0, 20.0}) {
        QTest::newRow(qPrintable(QStringLiteral("x %1, 10 ms ticks").arg(scale))) << scale << even;
        QTest::newRow(qPrintable(QStringLiteral("x %1, uneven ticks").arg(scale)))
            << scale << uneven;
    }
}

void FrameClockTest::timeScaleGivesTenTimesXFramesAWallSecond()
{
    QFETCH(double, timeScale);
    QFETCH(QList<double>, ticks);
    FrameClock clock(10.0, timeScale, WirePacer::kLineBytesPerSecond * timeScale);
    WirePacer pacer(WirePacer::kLineBytesPerSecond * timeScale);
    QVERIFY(clock.lineKeepsUp());
    QCOMPARE(clock.framesPerWallSecond(), 10.0 * timeScale);
    const Run run = send(clock, pacer, ticks, 10000.0); // ten wall seconds
    const double expected = 100.0 * timeScale;
    QVERIFY2(std::abs(run.frames - expected) <= 3.0, qPrintable(QString::number(run.frames)));
    QCOMPARE(run.skipped, 0);
    // Each frame one period of 0.1 s: the engine ran X times the wall's time.
    QVERIFY2(std::abs(run.engineSeconds - run.frames * 0.1) < 1e-6,
             qPrintable(QString::number(run.engineSeconds)));
}

void FrameClockTest::rateTheLineCannotCarrySkipsPeriodsAsBefore_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("timeScale");
    QTest::newRow("100 a second") << 100.0 << 1.0;
    QTest::newRow("100 a second, x 10") << 100.0 << 10.0;
    QTest::newRow("30 a second, x 4") << 30.0 << 4.0;
}

void FrameClockTest::rateTheLineCannotCarrySkipsPeriodsAsBefore()
{
    QFETCH(double, rate);
    QFETCH(double, timeScale);
    FrameClock clock(rate, timeScale, WirePacer::kLineBytesPerSecond * timeScale);
    WirePacer pacer(WirePacer::kLineBytesPerSecond * timeScale);
    QVERIFY(!clock.lineKeepsUp());
    const Run run = send(clock, pacer, {10.0}, 10000.0);
    // No more than the line carries, 960 x X bytes a second in frames of 37.
    QVERIFY2(run.frames <= 10.0 * 960.0 * timeScale / 37.0 + 2.0,
             qPrintable(QString::number(run.frames)));
    QVERIFY(run.skipped > 0);
    // The engine ran on all the same: ten seconds of wall time, x X.
    QVERIFY2(std::abs(run.engineSeconds - 10.0 * timeScale) <= 0.1 * timeScale,
             qPrintable(QString::number(run.engineSeconds)));
}

void FrameClockTest::longHoldIsNotMadeUpForWithABurst()
{
    // x 10: a frame every 10 ms. Nothing asks for 300 ms (a frame held back);
    // then the next frame covers the periods passed, and frames go on at
    // their usual times.
    FrameClock clock(10.0, 10.0, WirePacer::kLineBytesPerSecond * 10.0);
    WirePacer pacer(WirePacer::kLineBytesPerSecond * 10.0);
    Run run = send(clock, pacer, {10.0}, 1000.0);
    QCOMPARE(run.frames, 100);
    const auto period = clock.take(1300.0);
    QVERIFY(period.has_value());
    QVERIFY(clock.lastSkipped());
    QVERIFY2(std::abs(*period - 3.1) < 1e-9, qPrintable(QString::number(*period)));
    run = send(clock, pacer, {10.0}, 2300.0, 1310.0);
    QCOMPARE(run.frames, 99);
}

void FrameClockTest::lostPeriodsAreRunThroughByTheNextFrame()
{
    FrameClock clock(10.0, 1.0, WirePacer::kLineBytesPerSecond);
    QCOMPARE(clock.take(0.0), std::optional<double>(0.1));
    clock.skipTo(550.0); // the cable was out from 0 to 550 ms
    QVERIFY(!clock.take(560.0).has_value());
    const auto period = clock.take(600.0);
    QVERIFY(period.has_value());
    QVERIFY(!clock.lastSkipped());
    QVERIFY2(std::abs(*period - 0.6) < 1e-9, qPrintable(QString::number(*period)));
}

QTEST_GUILESS_MAIN(FrameClockTest)
#include "frameclocktest.moc"
