// The graph's time axes in clock time: the round moments labelled, and the
// clock text of a moment, for a live session and for a recording alike.
#include "telemetry/graphaxes.h"

#include <QTest>

namespace {

const QDateTime kStart(QDate(2026, 12, 7), QTime(14, 5, 31, 250), Qt::OffsetFromUTC, 3 * 3600);

QString describe(const QList<ClockTick> &ticks)
{
    QStringList parts;
    for (const ClockTick &t : ticks)
        parts.append(QStringLiteral("%1@%2").arg(t.label).arg(t.elapsedMs));
    return parts.join(QLatin1Char(' '));
}

} // namespace

class GraphAxesTest : public QObject {
    Q_OBJECT
private slots:
    void ticksAreTheClocksRoundMoments_data();
    void ticksAreTheClocksRoundMoments();
    void clockTextIsTheMomentsTimeOfDayToATenth_data();
    void clockTextIsTheMomentsTimeOfDayToATenth();
    void ticksOfAShortAxisLeaveRoomForTheirLabels_data();
    void ticksOfAShortAxisLeaveRoomForTheirLabels();
};

void GraphAxesTest::ticksAreTheClocksRoundMoments_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<qint64>("fromMs");
    QTest::addColumn<qint64>("toMs");
    QTest::addColumn<QString>("ticks"); // label@elapsed_ms, in order

    QTest::newRow("10 s: every 2 s, on the clock's seconds")
        << kStart << qint64(0) << qint64(10'000)
        << "14:05:32@750 14:05:34@2750 14:05:36@4750 14:05:38@6750 14:05:40@8750";
    QTest::newRow("2 min: every 30 s")
        << kStart << qint64(0) << qint64(120'000)
        << "14:06:00@28750 14:06:30@58750 14:07:00@88750 14:07:30@118750";
    QTest::newRow("an hour in: every 10 s")
        << kStart << qint64(3'600'000) << qint64(3'660'000)
        << "15:05:40@3608750 15:05:50@3618750 15:06:00@3628750 15:06:10@3638750 "
           "15:06:20@3648750 15:06:30@3658750";
    QTest::newRow("a moment itself on the clock's round second")
        << kStart << qint64(750) << qint64(3'750)
        << "14:05:32@750 14:05:33@1750 14:05:34@2750 14:05:35@3750";
    QTest::newRow("before the start (a frame that came late)")
        << kStart << qint64(-2'000) << qint64(1'000) << "14:05:30@-1250 14:05:31@-250 14:05:32@750";
    QTest::newRow("the same moment in UTC reads 3 h earlier")
        << kStart.toUTC() << qint64(0) << qint64(10'000)
        << "11:05:32@750 11:05:34@2750 11:05:36@4750 11:05:38@6750 11:05:40@8750";
    QTest::newRow("over midnight")
        << QDateTime(QDate(2026, 12, 7), QTime(23, 59, 50), Qt::OffsetFromUTC, 3 * 3600)
        << qint64(0) << qint64(20'000)
        << "23:59:50@0 23:59:55@5000 00:00:00@10000 00:00:05@15000 00:00:10@20000";
    QTest::newRow("no start: the time since the line began")
        << QDateTime() << qint64(0) << qint64(60'000)
        << "00:00:00@0 00:00:10@10000 00:00:20@20000 00:00:30@30000 00:00:40@40000 "
           "00:00:50@50000 00:01:00@60000";
    QTest::newRow("a whole day: each label once")
        << QDateTime(QDate(2026, 12, 7), QTime(0, 0), Qt::UTC) << qint64(0) << qint64(86'400'000)
        << "00:00:00@0 06:00:00@21600000 12:00:00@43200000 18:00:00@64800000";
    QTest::newRow("a range the axes cannot take: none") << kStart << qint64(0) << qint64(10) << "";
}

void GraphAxesTest::ticksAreTheClocksRoundMoments()
{
    QFETCH(QDateTime, start);
    QFETCH(qint64, fromMs);
    QFETCH(qint64, toMs);
    QFETCH(QString, ticks);
    QCOMPARE(describe(clockTicks(start, fromMs, toMs)), ticks);
}

void GraphAxesTest::clockTextIsTheMomentsTimeOfDayToATenth_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << kStart << qint64(0) << "14:05:31.2";
    QTest::newRow("a second on") << kStart << qint64(1'000) << "14:05:32.2";
    QTest::newRow("the tenth rounds down") << kStart << qint64(749) << "14:05:31.9";
    QTest::newRow("no start") << QDateTime() << qint64(3'723'456) << "01:02:03.4";
}

void GraphAxesTest::clockTextIsTheMomentsTimeOfDayToATenth()
{
    QFETCH(QDateTime, start);
    QFETCH(qint64, elapsedMs);
    QFETCH(QString, text);
    QCOMPARE(clockText(start, elapsedMs), text);
}

void GraphAxesTest::ticksOfAShortAxisLeaveRoomForTheirLabels_data()
{
    QTest::addColumn<double>("span");
    QTest::addColumn<double>("leastStep");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("step");
    // Labels need 20 px each.
    QTest::newRow("tall: the step as fitted") << 4000.0 << 1000.0 << 200.0 << 1000.0;
    QTest::newRow("just room: 4 gaps of 20 px") << 4000.0 << 1000.0 << 80.0 << 1000.0;
    QTest::newRow("short: every 2000 rpm") << 4000.0 << 1000.0 << 60.0 << 2000.0;
    QTest::newRow("the tank's 50s on a short axis: 100s") << 255.0 << 50.0 << 90.0 << 100.0;
    QTest::newRow("very short: the whole range in one") << 8.0 << 2.0 << 20.0 << 10.0;
    QTest::newRow("not laid out yet") << 4000.0 << 1000.0 << 0.0 << 1000.0;
}

void GraphAxesTest::ticksOfAShortAxisLeaveRoomForTheirLabels()
{
    QFETCH(double, span);
    QFETCH(double, leastStep);
    QFETCH(double, length);
    QFETCH(double, step);
    QCOMPARE(tickStep(span, leastStep, length, 20), step);
}

QTEST_GUILESS_MAIN(GraphAxesTest)
#include "tst_graphaxes.moc"
