#include "soak/faultplan.h"

#include <QTest>

#include <set>

using soak::FaultPlan;
using soak::PlannedStep;
using Kind = soak::PlannedStep::Kind;

Q_DECLARE_METATYPE(soak::PlannedStep)

namespace {

QStringList firstSteps(FaultPlan plan, int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        const PlannedStep step = plan.next();
        texts.append(QStringLiteral("%1 after %2 s").arg(step.text()).arg(step.waitSeconds));
    }
    return texts;
}

} // namespace

class FaultPlanTest : public QObject {
    Q_OBJECT
private slots:
    void sameSeedGivesTheSamePlan();
    void stepsStayWithinTheirBounds();
    void onlyTheKindsAskedForAreDrawn();
    void controlLinesAreTheUnitsOwn_data();
    void controlLinesAreTheUnitsOwn();
};

void FaultPlanTest::sameSeedGivesTheSamePlan()
{
    QCOMPARE(firstSteps(FaultPlan(42, 10, 30), 50), firstSteps(FaultPlan(42, 10, 30), 50));
    QVERIFY(firstSteps(FaultPlan(42, 10, 30), 50) != firstSteps(FaultPlan(43, 10, 30), 50));
}

void FaultPlanTest::stepsStayWithinTheirBounds()
{
    FaultPlan plan(7, 10, 30);
    std::set<Kind> seen;
    for (int i = 0; i < 2000; ++i) {
        const PlannedStep s = plan.next();
        seen.insert(s.kind);
        QVERIFY(s.waitSeconds >= 10 && s.waitSeconds <= 30);
        switch (s.kind) {
        case Kind::Unplug:
            QVERIFY(s.replugSeconds >= FaultPlan::kLeastReplug &&
                    s.replugSeconds <= FaultPlan::kMostReplug);
            break;
        case Kind::Quiet:
            QVERIFY(s.argument >= FaultPlan::kLeastQuiet && s.argument <= FaultPlan::kMostQuiet);
            break;
        case Kind::Truncate:
            QVERIFY(s.argument >= FaultPlan::kLeastTruncate &&
                    s.argument <= FaultPlan::kMostTruncate);
            break;
        case Kind::Band:
            QVERIFY(s.band >= 1 && s.band <= 4);
            QVERIFY(s.level >= FaultPlan::kLeastLevel && s.level <= FaultPlan::kMostLevel);
            break;
        default:
            QVERIFY(s.argument > 0);
            break;
        }
    }
    QCOMPARE(seen.size(), size_t(8));
}

void FaultPlanTest::onlyTheKindsAskedForAreDrawn()
{
    FaultPlan plan(3, 1, 2, {Kind::Truncate, Kind::Band});
    for (int i = 0; i < 200; ++i) {
        const Kind kind = plan.next().kind;
        QVERIFY(kind == Kind::Truncate || kind == Kind::Band);
    }
}

void FaultPlanTest::controlLinesAreTheUnitsOwn_data()
{
    QTest::addColumn<PlannedStep>("step");
    QTest::addColumn<QString>("line");
    PlannedStep unplug;
    unplug.kind = Kind::Unplug;
    unplug.replugSeconds = 4.2;
    PlannedStep garbage;
    garbage.kind = Kind::Garbage;
    garbage.argument = 200;
    PlannedStep band;
    band.kind = Kind::Band;
    band.band = 2;
    band.level = 57;
    QTest::newRow("unplug") << unplug << "unplug";
    QTest::newRow("garbage") << garbage << "garbage 200";
    QTest::newRow("band: none, it is typed") << band << "";
}

void FaultPlanTest::controlLinesAreTheUnitsOwn()
{
    QFETCH(PlannedStep, step);
    QFETCH(QString, line);
    QCOMPARE(step.controlLine(), line);
}

QTEST_GUILESS_MAIN(FaultPlanTest)
#include "faultplantest.moc"
