// One line of the time view, drawn as two series with the same pen: the
// settled part, redrawn only when the view changes or the fresh part has
// grown long, and the fresh part, the newest samples since, redrawn with
// every refresh. Qt Charts recomputes a series' whole path whenever any of
// its points change, so a refresh costs the fresh part only.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>

class QChart;
class QLineSeries;
class QPen;
class QValueAxis;

class GraphLine {
public:
    // The series are added to the chart, which owns them; only the settled
    // one has a legend entry.
    GraphLine(QChart *chart, const QString &name, const QPen &pen, QValueAxis *x, QValueAxis *y);

    void settle(const QList<QPointF> &points); // the fresh part is emptied
    void setFresh(const QList<QPointF> &points);
    int freshCount() const;

    // Every point drawn, in time order.
    QList<QPointF> points() const;
    QLineSeries *settledSeries() const { return m_settled; }
    QLineSeries *freshSeries() const { return m_fresh; }

private:
    QLineSeries *m_settled = nullptr; // owned by the chart
    QLineSeries *m_fresh = nullptr;   // owned by the chart
};
