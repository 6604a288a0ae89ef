#include "sim/wirepacer.h"

#include <QTest>

#include <algorithm>

using zsim::WirePacer;

class WirePacerTest : public QObject {
    Q_OBJECT
private slots:
    void busyLineCarriesNoMoreThan960BytesASecond_data();
    void busyLineCarriesNoMoreThan960BytesASecond();
    void idleLineSavesNoCreditForABurst();
    void frameTakesItsTimeOnTheLine();
};

void WirePacerTest::busyLineCarriesNoMoreThan960BytesASecond_data()
{
    QTest::addColumn<double>("tickMs");
    QTest::addColumn<double>("seconds");
    QTest::newRow("1 ms ticks") << 1.0 << 2.0;
    QTest::newRow("10 ms ticks") << 10.0 << 5.0;
    QTest::newRow("uneven 13.7 ms ticks") << 13.7 << 5.0;
    QTest::newRow("late 19 ms ticks") << 19.0 << 5.0;
}

void WirePacerTest::busyLineCarriesNoMoreThan960BytesASecond()
{
    QFETCH(double, tickMs);
    QFETCH(double, seconds);
    WirePacer pacer;
    qsizetype total = 0;
    for (double now = 0.0; now < seconds * 1000.0; now += tickMs) {
        const qsizetype count = pacer.allowance(now);
        pacer.sent(count, now);
        total += count;
        // Never more than the line carries up to now, plus the 20 ms lead.
        QVERIFY(double(total) <= (now + 20.0) * 0.96 + 1.001);
    }
    const double expected = seconds * 960.0;
    QVERIFY2(double(total) >= expected - 960.0 * (tickMs + 1.0) / 1000.0 - 1.0,
             qPrintable(QString::number(total)));
}

void WirePacerTest::idleLineSavesNoCreditForABurst()
{
    WirePacer pacer;
    pacer.sent(37, 0.0);
    QCOMPARE(pacer.allowance(10.0), qsizetype(0));
    QCOMPARE(pacer.allowance(40.0), qsizetype(20));
    QCOMPARE(pacer.allowance(10000.0), qsizetype(20));
}

void WirePacerTest::frameTakesItsTimeOnTheLine()
{
    WirePacer pacer;
    qsizetype left = 37;
    double now = 0.0;
    while (left > 0) {
        const qsizetype count = std::min(left, pacer.allowance(now));
        pacer.sent(count, now);
        left -= count;
        now += 10.0;
    }
    QCOMPARE(pacer.lineFreeAtMs(), 37.0 * 1000.0 / 960.0);
    QCOMPARE(now, 30.0); // handed over in three 10 ms ticks
}

QTEST_GUILESS_MAIN(WirePacerTest)
#include "wirepacertest.moc"
