// Timer elements on real time: parking a timer stops its ticks without
// disabling it, and the level marker's timer sleeps while its tick would
// change nothing, waking when the reading, the captured point or the stored
// points change.
#include "ui/levelsensor.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintimer.h"

#include <QSignalSpy>
#include <QTest>

class TimersTest : public QObject {
    Q_OBJECT
private slots:
    void aParkedTimerStaysEnabledAndRaisesNoTicks();
    void anUnparkedTimerTicksAgain();
    void disablingWhileParkedAndEnablingAgainTicksAfterOneInterval();
    void levelTimerSleepsWhileTheReadingIsZero();
    void aPollWithANewReadingWakesTheMarker();
    void aPollThatChangedNothingLeavesTheLevelTimerAsleep();
    void aClickThatArmsAPointWakesTheCapture();
};

void TimersTest::aParkedTimerStaysEnabledAndRaisesNoTicks()
{
    SkinTimer timer(20, true, false, nullptr);
    QSignalSpy ticks(&timer, &SkinTimer::ticked);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 2, 2000);
    timer.setParked(true);
    ticks.clear();
    QTest::qWait(150);
    QCOMPARE(ticks.count(), 0);
    QVERIFY(timer.isEnabled());
    // A script's tick still runs on a parked timer.
    QVERIFY(timer.tickNow());
    QCOMPARE(ticks.count(), 1);
}

void TimersTest::anUnparkedTimerTicksAgain()
{
    SkinTimer timer(20, true, false, nullptr);
    timer.setParked(true);
    QSignalSpy ticks(&timer, &SkinTimer::ticked);
    QTest::qWait(100);
    QCOMPARE(ticks.count(), 0);
    timer.setParked(false);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 3, 2000);
}

void TimersTest::disablingWhileParkedAndEnablingAgainTicksAfterOneInterval()
{
    SkinTimer timer(40, true, false, nullptr);
    timer.setParked(true);
    timer.setEnabled(false);
    timer.setParked(false);
    QSignalSpy ticks(&timer, &SkinTimer::ticked);
    QTest::qWait(120);
    QCOMPARE(ticks.count(), 0); // disabled: unparking does not start it
    timer.setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 1, 2000);
}

namespace {
// The main window on real timers with only the level marker wired to it.
struct LevelRig {
    SharedState state;
    MainWindow window{false};
    LevelSensor sensor{state, window, nullptr};
    const MainWindow::Elements &e = window.el();

    // What a poll cycle with a frame does to the level marker's inputs.
    void pollWith(double reading, const QList<int> &points)
    {
        state.sensorLevel = reading;
        const auto &rows = e.levelPoints;
        for (int i = 0; i < 5; ++i)
            rows[i]->setCaption(QString::number(points[i]));
        e.Timer2->tickNow();
    }
};
const QList<int> kPoints = {200, 150, 120, 60, 10};
} // namespace

void TimersTest::levelTimerSleepsWhileTheReadingIsZero()
{
    LevelRig rig;
    QSignalSpy ticks(rig.e.SensorX, &SkinTimer::ticked);
    QTRY_VERIFY_WITH_TIMEOUT(rig.e.SensorX->isParked(), 2000);
    ticks.clear();
    QTest::qWait(350);
    QCOMPARE(ticks.count(), 0);
    QVERIFY(rig.e.SensorX->isEnabled());
}

void TimersTest::aPollWithANewReadingWakesTheMarker()
{
    LevelRig rig;
    QTRY_VERIFY_WITH_TIMEOUT(rig.e.SensorX->isParked(), 2000);
    rig.pollWith(120, kPoints);
    QTRY_COMPARE_WITH_TIMEOUT(rig.e.SensC->top(), 2790.0, 2000);
    // Once the marker is where the reading says, the timer sleeps again.
    QTRY_VERIFY_WITH_TIMEOUT(rig.e.SensorX->isParked(), 2000);
    rig.pollWith(10, kPoints);
    QTRY_COMPARE_WITH_TIMEOUT(rig.e.SensC->top(), 3600.0, 2000);
}

void TimersTest::aPollThatChangedNothingLeavesTheLevelTimerAsleep()
{
    LevelRig rig;
    rig.pollWith(150, kPoints);
    QTRY_COMPARE_WITH_TIMEOUT(rig.e.SensC->top(), 2370.0, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.e.SensorX->isParked(), 2000);
    QSignalSpy ticks(rig.e.SensorX, &SkinTimer::ticked);
    rig.pollWith(150, kPoints);
    rig.e.Timer2->tickNow(); // a silent poll
    QTest::qWait(250);
    QCOMPARE(ticks.count(), 0);
}

void TimersTest::aClickThatArmsAPointWakesTheCapture()
{
    LevelRig rig;
    rig.pollWith(57, kPoints);
    QTRY_VERIFY_WITH_TIMEOUT(rig.e.SensorX->isParked(), 2000);
    // The click handler arms the quarter point; the next ticks copy the
    // live reading into it.
    rig.state.levelCalibStep = 4;
    emit rig.e.Sc->clicked();
    QTRY_COMPARE_WITH_TIMEOUT(rig.e.Sc->caption(), QStringLiteral("57"), 2000);
    QCOMPARE(rig.e.SensC->top(), 3190.0);
    // While capturing, a new reading flows in at the next poll.
    rig.state.sensorLevel = 58;
    rig.e.Timer2->tickNow();
    QTRY_COMPARE_WITH_TIMEOUT(rig.e.Sc->caption(), QStringLiteral("58"), 2000);
}

QTEST_MAIN(TimersTest)
#include "tst_timers.moc"
