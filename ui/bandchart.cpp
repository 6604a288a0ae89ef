#include "bandchart.h"

#include "core/chart.h"
#include "mainwindow.h"
#include "skinlabel.h"
#include "skinpicture.h"
#include "skintimer.h"

BandChart::BandChart(MainWindow &window, QObject *parent) : QObject(parent), m_window(window)
{
    connect(window.el().Timer3, &SkinTimer::ticked, this, &BandChart::driveZ);
}

void BandChart::driveZ()
{
    const auto &e = m_window.el();
    zcore::ChartInput in;
    in.third = !e.selc1->isHidden();
    in.second = !e.selc2->isHidden();
    in.first = !e.selc3->isHidden();
    in.inTimes = {e.in1->caption(), e.in2->caption(), e.in3->caption(), e.in4->caption()};
    in.outTimes = {e.out2->caption(), e.out3->caption(), e.out4->caption(), e.out1->caption()};
    in.bands = {e.ca1->caption(), e.ca2->caption(), e.ca3->caption(), e.ca4->caption()};
    m_window.setChart(zcore::chartPass(in));
}
