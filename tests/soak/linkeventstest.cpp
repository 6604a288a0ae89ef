#include "soak/linkevents.h"

#include <QTest>

using soak::LinkEvent;
using soak::UnitEvents;

namespace {

// The unit pulled the cable at 10 s and put it back at 15 s; the recording
// began at 2 s of the soak.
UnitEvents cableOutFrom10To15()
{
    UnitEvents unit;
    unit.take("fault unplug frame 90", 10000);
    unit.take("fault replug", 15000);
    return unit;
}

constexpr double kRecordStart = 2000;

} // namespace

class LinkEventsTest : public QObject {
    Q_OBJECT
private slots:
    void lostAtTheUnplugAndReturnedAtTheReplugAreInPlace();
    void returnedWhileTheCableIsOutIsOutOfPlace();
    void missingEventsAreNamed();
    void eventsWithTheCableInAreOutOfPlace();
};

void LinkEventsTest::lostAtTheUnplugAndReturnedAtTheReplugAreInPlace()
{
    const auto check = checkLinkEvents(
        {{7990, "device-lost"}, {13300, "device-returned"}, {20000, "recording-stopped"}},
        cableOutFrom10To15().cableOut(), kRecordStart);
    QCOMPARE(check.inPlace, 2);
    QVERIFY(check.outOfPlace.isEmpty());
}

void LinkEventsTest::returnedWhileTheCableIsOutIsOutOfPlace()
{
    // Something else took the device's name while the unit's cable was out.
    const auto check = checkLinkEvents({{8000, "device-lost"},
                                        {10000, "device-returned"},
                                        {10500, "device-lost"},
                                        {13200, "device-returned"}},
                                       cableOutFrom10To15().cableOut(), kRecordStart);
    QCOMPARE(check.inPlace, 2);
    QCOMPARE(check.outOfPlace.size(), 2);
    QVERIFY2(check.outOfPlace[0].startsWith("device-returned at 12.00 s, while the cable was out"),
             qPrintable(check.outOfPlace[0]));
    QVERIFY(check.outOfPlace[1].startsWith("device-lost at 12.50 s"));
}

void LinkEventsTest::missingEventsAreNamed()
{
    const auto check =
        checkLinkEvents({{8000, "device-lost"}}, cableOutFrom10To15().cableOut(), kRecordStart);
    QCOMPARE(check.outOfPlace, QStringList{"no device-returned for the replug at 15.00 s"});
}

void LinkEventsTest::eventsWithTheCableInAreOutOfPlace()
{
    const auto check = checkLinkEvents({{1000, "device-lost"}, {1300, "device-returned"}},
                                       UnitEvents().cableOut(), kRecordStart);
    QCOMPARE(check.outOfPlace.size(), 2);
    QVERIFY(check.outOfPlace[0].endsWith("with the cable in"));
}

QTEST_GUILESS_MAIN(LinkEventsTest)
#include "linkeventstest.moc"
