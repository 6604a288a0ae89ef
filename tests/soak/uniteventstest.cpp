#include "soak/unitevents.h"

#include <QTest>

using soak::UnitEvents;
using soak::UnitFault;

class UnitEventsTest : public QObject {
    Q_OBJECT
private slots:
    void faultLinesAreRead_data();
    void faultLinesAreRead();
    void malformedFaultLinesAreNotFaults_data();
    void malformedFaultLinesAreNotFaults();
    void framesAreCutOnlyByTruncateAndUnplug();
    void linesAreSortedByWhatTheySay();
    void notesSayHowMuchOfACutFrameWentOut();
    void cableIsOutFromEachUnplugToItsReplug();
};

void UnitEventsTest::faultLinesAreRead_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("argument");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("last");
    QTest::newRow("several frames") << "fault truncate 3 frames 120-122"
                                    << "truncate" << 3 << 120ll << 122ll;
    QTest::newRow("one frame") << "fault zeros 1 frame 7"
                               << "zeros" << 1 << 7ll << 7ll;
    QTest::newRow("no argument") << "fault unplug frame 130"
                                 << "unplug" << 0 << 130ll << 130ll;
    QTest::newRow("no frame") << "fault quiet 800"
                              << "quiet" << 800 << 0ll << 0ll;
    QTest::newRow("neither") << "fault replug"
                             << "replug" << 0 << 0ll << 0ll;
}

void UnitEventsTest::faultLinesAreRead()
{
    QFETCH(QString, line);
    QFETCH(QString, name);
    QFETCH(int, argument);
    QFETCH(qint64, first);
    QFETCH(qint64, last);
    UnitFault f;
    QVERIFY(UnitEvents::parseFault(line, &f));
    QCOMPARE(f.name, name);
    QCOMPARE(f.argument, argument);
    QCOMPARE(f.firstFrame, first);
    QCOMPARE(f.lastFrame, last);
}

void UnitEventsTest::malformedFaultLinesAreNotFaults_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("frames backwards") << "fault truncate 2 frames 9-8";
    QTest::newRow("frame zero") << "fault unplug frame 0";
    QTest::newRow("no number after frame") << "fault unplug frame";
    QTest::newRow("words after") << "fault late 500 frame 3 more";
    QTest::newRow("not a fault line") << "command 1 57 gaps 105.3 105.2";
}

void UnitEventsTest::malformedFaultLinesAreNotFaults()
{
    QFETCH(QString, line);
    UnitFault f;
    QVERIFY(!UnitEvents::parseFault(line, &f));
}

void UnitEventsTest::framesAreCutOnlyByTruncateAndUnplug()
{
    UnitEvents unit;
    unit.take("fault truncate 2 frames 10-11", 0);
    unit.take("fault unplug frame 20", 0);
    unit.take("fault zeros 1 frame 30", 0);
    unit.take("fault garbage 100 frame 40", 0);
    unit.take("fault late 500 frame 41", 0);
    for (const qint64 n : {10, 11, 20})
        QVERIFY(unit.wasCut(n));
    for (const qint64 n : {12, 30, 40, 41})
        QVERIFY(!unit.wasCut(n));
    QCOMPARE(unit.cutBy(11), QStringLiteral("truncate"));
    QCOMPARE(unit.cutBy(20), QStringLiteral("unplug"));
    QVERIFY(unit.wasZeroed(30));
    QCOMPARE(unit.touchedBy(40), QStringLiteral("garbage 100"));
    QCOMPARE(unit.touchedBy(42), QString());
    QCOMPARE(unit.count("truncate"), 1);
}

void UnitEventsTest::linesAreSortedByWhatTheySay()
{
    UnitEvents unit;
    QCOMPARE(unit.take("ready /dev/pts/3 /tmp/unit", 1), QStringLiteral("ready"));
    QCOMPARE(unit.take("command 1 57 gaps 105.3 105.2", 2), QStringLiteral("command"));
    QCOMPARE(unit.take("stray 11 22", 3), QStringLiteral("stray"));
    QCOMPARE(unit.take("error replug: the cable is in", 4), QStringLiteral("error"));
    QCOMPARE(unit.take("fault quiet 800", 5), QStringLiteral("fault"));
    QCOMPARE(unit.take("fault quiet", 6), QStringLiteral("fault"));
    QCOMPARE(unit.take("fault late 5 frame x", 7), QStringLiteral("error"));
    QCOMPARE(unit.readyLines(), 1);
    QCOMPARE(unit.commands().size(), 1);
    QCOMPARE(unit.commands()[0].code, 1);
    QCOMPARE(unit.commands()[0].value, 57);
    QCOMPARE(unit.commands()[0].atMs, 2.0);
    QCOMPARE(unit.strays(), QStringList{"stray 11 22"});
    QCOMPARE(unit.errors().size(), 2);
    QCOMPARE(unit.faults().size(), 2);
}

void UnitEventsTest::notesSayHowMuchOfACutFrameWentOut()
{
    UnitEvents unit;
    unit.take("fault truncate 1 frame 12", 0);
    unit.take("fault unplug frame 20", 0);
    unit.takeNote("zendalite-sim: frame 12 cut to 5 of 37 bytes");
    unit.takeNote("zendalite-sim: cable pulled after 9 of 37 bytes of frame 20");
    unit.takeNote("zendalite-sim: engine seed 4");
    QCOMPARE(unit.touchedBy(12), QStringLiteral("truncate 1 (5 of 37 bytes sent)"));
    QCOMPARE(unit.touchedBy(20), QStringLiteral("unplug (9 of 37 bytes sent)"));
}

void UnitEventsTest::cableIsOutFromEachUnplugToItsReplug()
{
    UnitEvents unit;
    unit.take("fault unplug frame 5", 1000);
    unit.take("fault replug", 4000);
    unit.take("fault quiet 300", 5000);
    unit.take("fault unplug frame 90", 9000);
    const QList<UnitEvents::CableOut> out = unit.cableOut();
    QCOMPARE(out.size(), 2);
    QCOMPARE(out[0].unpluggedMs, 1000.0);
    QCOMPARE(out[0].repluggedMs, 4000.0);
    QCOMPARE(out[1].unpluggedMs, 9000.0);
    QCOMPARE(out[1].repluggedMs, -1.0);
}

QTEST_GUILESS_MAIN(UnitEventsTest)
#include "uniteventstest.moc"
