// The band chart on the window: drawn from the picked row by Timer3.
#include "shell/gestures.h"
#include "support/payloads.h"
#include "support/shellfixture.h"
#include "ui/mainwindow.h"
#include "ui/skinpicture.h"
#include "ui/skintimer.h"

#include <QTest>

class BandChartTest : public QObject {
    Q_OBJECT
private slots:
    void chartDrawsThePickedRowInItsColours();
    void chartShowsTheNewRowAtTheNextPass();
};

void BandChartTest::chartDrawsThePickedRowInItsColours()
{
    LoadedShell f;
    const auto &e = f.window().el();
    QVERIFY(!f.shell->mainWindow().chart());
    f.poll(); // bands 10, 20, 30, 40
    e.selc1->hide();
    e.selc3->show();
    ShellFixture::tick(e.Timer3);
    const auto &chart = f.shell->mainWindow().chart();
    QVERIFY(chart);
    QCOMPARE((*chart)[2].top, 1850 + (137 - 20) * 10.0);

    const QImage shot = f.shell->mainWindow().grab().toImage();
    // Bar 2 spans pixels 450..537 across and 201..215 down; white above it.
    QCOMPARE(shot.pixelColor(490, 210), QColor(0xFF, 0xFF, 0x80));
    QCOMPARE(shot.pixelColor(490, 150), QColor(Qt::white));
    QCOMPARE(shot.pixelColor(400, 210), QColor(0x80, 0xFF, 0x80)); // bar 1
    QCOMPARE(shot.pixelColor(700, 200), QColor(0xC0, 0xC0, 0xC0)); // bar 4 from 188
    QCOMPARE(shot.pixelColor(600, 200), QColor(0x80, 0x80, 0xFF)); // bar 3 from 195
    QCOMPARE(shot.pixelColor(600, 190), QColor(Qt::white));
}

void BandChartTest::chartShowsTheNewRowAtTheNextPass()
{
    LoadedShell f;
    const auto &e = f.window().el();
    f.poll();
    ShellFixture::tick(e.Timer3); // the third row (in times) at start
    QCOMPARE((*f.shell->mainWindow().chart())[1].top, double(float(1850 + 1350 - 45 * 3.94)));
    gestures::move(&f.shell->mainWindow(), QPointF(6000 / 15.0, 3900 / 15.0), Qt::LeftButton);
    ShellFixture::tick(e.Timer3);
    QCOMPARE(float((*f.shell->mainWindow().chart())[1].top), float(1850 + 1350 - 9 * 11.8));
}

QTEST_MAIN(BandChartTest)
#include "tst_bandchart.moc"
