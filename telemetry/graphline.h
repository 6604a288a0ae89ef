// One line of the time view: its points, drawn by the chart's plot layer
// as a settled part (drawn once, until the view changes or the fresh part
// has grown long) and a fresh part (the newest samples since, drawn with
// every refresh), and an empty series of the same pen that gives the line
// its legend entry.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>

class GraphPlotLayer;
class QChart;
class QLineSeries;
class QPen;
class QValueAxis;

class GraphLine {
public:
    // The legend's series is added to the chart, which owns it.
    GraphLine(QChart *chart, GraphPlotLayer *layer, const QString &name, const QPen &pen,
              QValueAxis *x, QValueAxis *y);

    void settle(const QList<QPointF> &points); // the fresh part is emptied
    void setFresh(const QList<QPointF> &points);
    int freshCount() const;

    // Every point drawn, in time order.
    QList<QPointF> points() const;

private:
    GraphPlotLayer *m_layer = nullptr; // owned by the chart
    int m_index = -1;                  // in the layer
};
