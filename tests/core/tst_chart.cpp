#include "core/chart.h"

#include <QTest>

using namespace zcore;

using Captions = std::array<QString, 4>;
using Tops = std::array<double, 4>;
Q_DECLARE_METATYPE(Captions)
Q_DECLARE_METATYPE(Tops)

class ChartTest : public QObject {
    Q_OBJECT
private slots:
    void barTopsFollowThePickedRow_data();
    void barTopsFollowThePickedRow();
    void boxesAreDrawnBackgroundFirstWithFixedEdges();
    void firstRowWinsOverTheOthers();
};

void ChartTest::barTopsFollowThePickedRow_data()
{
    QTest::addColumn<QString>("row"); // markers shown: any of "1", "2", "3" (selc1..selc3)
    QTest::addColumn<Captions>("captions");
    QTest::addColumn<Tops>("tops");
    QTest::newRow("third row, all ---")
        << "1" << Captions{"---", "---", "---", "---"} << Tops{3155, 3155, 3155, 3155};
    QTest::newRow("third row 30, 45, 0, 12.5")
        << "1" << Captions{"30", "45", "0", "12.5"} << Tops{1850, 1850, 3155, 2637.5};
    QTest::newRow("third row fractions of a cut time")
        << "1" << Captions{"3.94", "1", "-0.0", "15.0"} << Tops{3022.7, 3155, 3155, 2525};
    QTest::newRow("second row 150, 151, 75, ---")
        << "2" << Captions{"150", "151", "75", "---"} << Tops{1850, 1850, 2525, 3191};
    QTest::newRow("first row all 0")
        << "3" << Captions{"0", "0", "0", "0"} << Tops{3220, 3220, 3220, 3220};
    QTest::newRow("first row 137, 255, 100, empty")
        << "3" << Captions{"137", "255", "100", ""} << Tops{1850, 1850, 2220, 3220};
    QTest::newRow("no marker: full bars")
        << "" << Captions{"5", "5", "5", "5"} << Tops{1850, 1850, 1850, 1850};
}

void ChartTest::barTopsFollowThePickedRow()
{
    QFETCH(QString, row);
    QFETCH(Captions, captions);
    QFETCH(Tops, tops);
    ChartInput in;
    in.third = row.contains('1');
    in.second = row.contains('2');
    in.first = row.contains('3');
    in.inTimes = in.outTimes = in.bands = captions;
    const auto boxes = chartPass(in);
    for (size_t c = 0; c < 4; ++c)
        QCOMPARE(float(boxes[c + 1].top), float(tops[c]));
}

void ChartTest::boxesAreDrawnBackgroundFirstWithFixedEdges()
{
    ChartInput in;
    in.first = true;
    in.bands = {"0", "0", "0", "0"};
    const auto b = chartPass(in);
    QCOMPARE(b[0], (ChartBox{5200, 1850, 11100, 3250, 0xFFFFFF}));
    // Bar 1 stands on 3200: with a value of 0 it fills the strip below its bottom.
    QCOMPARE(b[1], (ChartBox{5250, 3220, 6550, 3200, 0x80FF80}));
    QCOMPARE(b[2], (ChartBox{6750, 3220, 8050, 3220, 0xFFFF80}));
    QCOMPARE(b[3], (ChartBox{8250, 3220, 9550, 3220, 0x8080FF}));
    QCOMPARE(b[4], (ChartBox{9750, 3220, 11050, 3220, 0xC0C0C0}));
}

void ChartTest::firstRowWinsOverTheOthers()
{
    ChartInput in;
    in.third = in.first = true;
    in.inTimes = {"30", "30", "30", "30"};
    in.bands = {"100", "100", "100", "100"};
    QCOMPARE(chartPass(in)[2].top, 2220.0);
    in.first = false;
    in.second = true;
    in.outTimes = {"75", "75", "75", "75"};
    QCOMPARE(chartPass(in)[2].top, 2525.0); // the second row wins over the third
}

QTEST_APPLESS_MAIN(ChartTest)
#include "tst_chart.moc"
