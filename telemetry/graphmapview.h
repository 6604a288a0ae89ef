// The map view: gas (out) time against petrol (in) time, one point per
// channel of every sample given, coloured by the sample's engine-speed band.
// Points that fall on the same spot of the plot (a cell of about two
// pixels) are drawn once, so an hour of samples costs no more to draw than
// the spots they cover. The chart keeps its series empty, for the legend and
// the axes; the cells are drawn over the plot by GraphMapCells, which
// repaints only the cells that came or went since the last call.
#pragma once

#include "telemetry/graphsamples.h"

#include <QChartView>
#include <QList>
#include <QPointF>
#include <QSet>

#include <array>
#include <span>

class GraphMapCells;
class QScatterSeries;
class QValueAxis;

class GraphMapView : public QChartView {
    Q_OBJECT
public:
    explicit GraphMapView(QWidget *parent = nullptr);

    void setSamples(std::span<const GraphSample> samples);

    // The points drawn for band b (0..3).
    const QList<QPointF> &bandPoints(int band) const { return m_points[size_t(band)]; }

private:
    void placeCells();

    QChart *m_chart = nullptr;                           // owned by the view
    QValueAxis *m_inAxis = nullptr;                      // owned by the chart
    QValueAxis *m_outAxis = nullptr;                     // owned by the chart
    std::array<QScatterSeries *, kSpeedBands> m_bands{}; // owned by the chart, kept empty
    GraphMapCells *m_cells = nullptr;                    // owned by the chart (item parent)
    std::array<QList<QPointF>, kSpeedBands> m_points;
    QSet<quint64> m_taken; // the cells of m_points, as keys of band and cell
    double m_inCell = 0;   // the cell size m_points were made with, in ms
    double m_outCell = 0;
};
