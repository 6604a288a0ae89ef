// The map view: the petrol ECU's injection time (the mean in time of the
// channels with a reading) over engine speed, one point per sample with a
// speed, coloured by the fuel in use (petrol or gas), with the limits of the
// engine-speed bands drawn as vertical lines and each band's mixture level
// (Kalori) above it. On gas, a band whose points stand above the petrol
// points at the same speed asks the petrol ECU for more fuel than on petrol:
// its gas mixture is lean.
//
// Points that fall on the same spot of the plot (a cell of about two
// pixels) are drawn once, so an hour of samples costs no more to draw than
// the spots they cover. The chart keeps its fuel series empty, for the
// legend and the axes; the cells are drawn over the plot by GraphMapCells,
// which repaints only the cells that came or went since the last call.
#pragma once

#include "telemetry/graphsamples.h"

#include <QChartView>
#include <QList>
#include <QPointF>
#include <QSet>
#include <QStringList>

#include <array>
#include <span>

class GraphMapCells;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

class GraphMapView : public QChartView {
    Q_OBJECT
public:
    enum Fuel { Petrol, Gas, Fuels };

    explicit GraphMapView(QWidget *parent = nullptr);

    void setSamples(std::span<const GraphSample> samples);

    // The points drawn for a fuel: cell centres, (rpm, ms).
    const QList<QPointF> &fuelPoints(Fuel fuel) const { return m_points[fuel]; }
    // The band limits drawn, in rpm, left to right.
    QList<double> bandLimits() const;
    // The texts over the bands, left to right ("Kalori 1" and its level).
    QStringList bandTexts() const;

private:
    void placeCells();
    void placeBandTexts();

    QChart *m_chart = nullptr;                             // owned by the view
    QValueAxis *m_rpmAxis = nullptr;                       // owned by the chart
    QValueAxis *m_msAxis = nullptr;                        // owned by the chart
    std::array<QScatterSeries *, Fuels> m_fuels{};         // owned by the chart, kept empty
    std::array<QLineSeries *, kSpeedBands - 1> m_limits{}; // owned by the chart
    std::array<QGraphicsSimpleTextItem *, kSpeedBands> m_bandTexts{}; // owned by the chart
    GraphMapCells *m_cells = nullptr; // owned by the chart (item parent)
    QList<QList<QPointF>> m_points;   // by Fuel
    QSet<quint64> m_taken;            // the cells of m_points, as keys of fuel and cell
    double m_rpmCell = 0;             // the cell size m_points were made with
    double m_msCell = 0;
};
