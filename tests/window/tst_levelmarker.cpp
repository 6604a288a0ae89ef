// The level marker (SensorX): it stands at the calibration row that the
// sensor reading matches, and a calibration point being captured takes the
// live reading; on real timers it does so by itself, however long it was still.
#include "support/shellfixture.h"
#include "ui/levelsensor.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintimer.h"

#include <QTest>

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
// Several of SensorX's intervals: long enough for the marker to be still.
constexpr int kStillMs = 400;
} // namespace

class LevelMarkerTest : public QObject {
    Q_OBJECT
private slots:
    void markerFollowsTheReading_data();
    void markerFollowsTheReading();
    void stillMarkerMovesByItselfForANewReading();
    void pointArmedAfterAStillSpellTakesTheLiveReading();
};

void LevelMarkerTest::markerFollowsTheReading_data()
{
    QTest::addColumn<QList<int>>("points");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("reading");
    QTest::addColumn<double>("markerTop");
    QTest::newRow("reading 120 at half") << kPoints << 0 << 120 << 2790.0;
    QTest::newRow("no match stays") << kPoints << 0 << 121 << 1980.0;
    QTest::newRow("reading 0 does nothing") << kPoints << 0 << 0 << 1980.0;
    QTest::newRow("lowest match wins") << QList<int>{200, 150, 120, 120, 10} << 0 << 120 << 3190.0;
    QTest::newRow("capture of the quarter point") << kPoints << 4 << 57 << 3190.0;
    QTest::newRow("capture stays on its row") << kPoints << 4 << 200 << 3190.0;
    QTest::newRow("empty row") << kPoints << 0 << 10 << 3600.0;
}

void LevelMarkerTest::markerFollowsTheReading()
{
    QFETCH(QList<int>, points);
    QFETCH(int, step);
    QFETCH(int, reading);
    QFETCH(double, markerTop);
    LoadedShell f;
    const auto &e = f.window().el();
    const auto &labels = e.levelPoints;
    for (int i = 0; i < 5; ++i)
        labels[i]->setCaption(QString::number(points[i]));
    f.shell->state().levelCalibStep = step;
    f.shell->state().sensorLevel = reading;
    ShellFixture::tick(e.SensorX);
    QCOMPARE(e.SensC->top(), markerTop);
    if (step)
        QCOMPARE(labels[step - 1]->caption(), QString::number(reading));
}

void LevelMarkerTest::stillMarkerMovesByItselfForANewReading()
{
    LevelRig rig;
    QTest::qWait(kStillMs);
    rig.pollWith(120, kPoints);
    QTRY_COMPARE_WITH_TIMEOUT(rig.e.SensC->top(), 2790.0, 2000);
    QTest::qWait(kStillMs);
    rig.pollWith(10, kPoints);
    QTRY_COMPARE_WITH_TIMEOUT(rig.e.SensC->top(), 3600.0, 2000);
}

void LevelMarkerTest::pointArmedAfterAStillSpellTakesTheLiveReading()
{
    LevelRig rig;
    rig.pollWith(57, kPoints);
    QTest::qWait(kStillMs);
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

QTEST_MAIN(LevelMarkerTest)
#include "tst_levelmarker.moc"
