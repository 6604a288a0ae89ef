#include "soak/procseries.h"

#include <QTest>

#include <functional>

using soak::ProcSample;
using soak::ProcSeries;

namespace {

// One sample every 5 s for 20 minutes; each field by the minute.
ProcSeries series(const std::function<ProcSample(double minute)> &at)
{
    ProcSeries s;
    for (int i = 0; i <= 240; ++i) {
        ProcSample p = at(i * 5.0 / 60.0);
        p.atMs = i * 5000.0;
        s.add(p);
    }
    return s;
}

} // namespace

class ProcSeriesTest : public QObject {
    Q_OBJECT
private slots:
    void steadyFiguresAreFlat();
    void memoryMayGrowWithTheGraphsSamples();
    void memoryGrowingBeyondTheGraphIsNotFlat();
    void oneDescriptorLeftOpenIsNotFlat();
    void settlingAtTheStartIsLeftOut();
    void samplesWhileTheLineIsOutAreLeftOutOfTheMeans();
    void extremesAreReported();
    void tooFewSamplesAreNotJudged();
};

void ProcSeriesTest::steadyFiguresAreFlat()
{
    const ProcSeries s = series([](double) { return ProcSample{0, 50000, 20, 6, 0}; });
    QVERIFY(s.rss().judged);
    QVERIFY(s.rss().flat);
    QVERIFY(s.descriptors().flat);
    QVERIFY(s.threads().flat);
}

void ProcSeriesTest::memoryMayGrowWithTheGraphsSamples()
{
    // 600 graph samples a minute at 0.3 KB each, within the 0.5 KB allowed.
    const ProcSeries s = series([](double minute) {
        return ProcSample{0, 50000 + qint64(minute * 600 * 0.3), 20, 6, qint64(minute * 600)};
    });
    QVERIFY2(s.rss().flat, qPrintable(QString::number(s.rss().rise())));
    QVERIFY(s.rss().bound > ProcSeries::kRssBaseKb);
}

void ProcSeriesTest::memoryGrowingBeyondTheGraphIsNotFlat()
{
    // 500 KB a minute more than the graph accounts for: 5 MB between the quarters.
    const ProcSeries s = series([](double minute) {
        return ProcSample{0, 50000 + qint64(minute * 500), 20, 6, 0};
    });
    QVERIFY(!s.rss().flat);
    QCOMPARE(qRound(s.rss().rise() / 100), 50);
}

void ProcSeriesTest::oneDescriptorLeftOpenIsNotFlat()
{
    const ProcSeries s = series([](double minute) {
        return ProcSample{0, 50000, minute < 14 ? 20 : 21, 6, 0};
    });
    QVERIFY(!s.descriptors().flat);
    QVERIFY(s.threads().flat);
}

void ProcSeriesTest::settlingAtTheStartIsLeftOut()
{
    // Threads and memory rise in the first minutes, then hold.
    const ProcSeries s = series([](double minute) {
        return ProcSample{0, minute < 3 ? 40000 : 52000, 20, minute < 2 ? 4 : 7, 0};
    });
    QVERIFY(s.rss().flat);
    QVERIFY(s.threads().flat);
}

void ProcSeriesTest::samplesWhileTheLineIsOutAreLeftOutOfTheMeans()
{
    // The device's descriptor is closed during an unplug in the second quarter.
    const ProcSeries s = series([](double minute) {
        const bool out = minute > 6 && minute < 8;
        return ProcSample{0, 50000, out ? 19 : 20, 6, 0, out};
    });
    const soak::Flatness f = s.descriptors();
    QVERIFY(f.flat);
    QCOMPARE(f.secondQuarterMean, 20.0);
    QCOMPARE(f.least, 19);
}

void ProcSeriesTest::extremesAreReported()
{
    const ProcSeries s = series([](double minute) {
        return ProcSample{0, 50000, minute > 9.9 && minute < 10.1 ? 23 : 20, 6, 0};
    });
    const soak::Flatness f = s.descriptors();
    QCOMPARE(f.first, 20);
    QCOMPARE(f.least, 20);
    QCOMPARE(f.most, 23);
    QCOMPARE(f.last, 20);
    QVERIFY(f.flat);
}

void ProcSeriesTest::tooFewSamplesAreNotJudged()
{
    ProcSeries s;
    for (int i = 0; i < 4; ++i)
        s.add(ProcSample{i * 5000.0, 50000 + i * 10000, 20, 6, 0});
    QVERIFY(!s.rss().judged);
    QCOMPARE(s.rss().last, 80000);
}

QTEST_GUILESS_MAIN(ProcSeriesTest)
#include "procseriestest.moc"
