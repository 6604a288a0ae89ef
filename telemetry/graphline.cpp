#include "graphline.h"

#include "telemetry/graphplotlayer.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>

GraphLine::GraphLine(QChart *chart, GraphPlotLayer *layer, const QString &name, const QPen &pen,
                     QValueAxis *x, QValueAxis *y)
    : m_layer(layer), m_index(layer->addLine(pen, x, y))
{
    auto *legend = new QLineSeries(chart);
    legend->setName(name);
    legend->setPen(pen);
    chart->addSeries(legend);
    legend->attachAxis(x);
    legend->attachAxis(y);
}

void GraphLine::settle(const QList<QPointF> &points) { m_layer->settle(m_index, points); }

void GraphLine::setFresh(const QList<QPointF> &points) { m_layer->setFresh(m_index, points); }

int GraphLine::freshCount() const { return int(m_layer->fresh(m_index).size()); }

QList<QPointF> GraphLine::points() const
{
    QList<QPointF> all = m_layer->settled(m_index);
    const QList<QPointF> &fresh = m_layer->fresh(m_index);
    // The fresh part starts at the last settled point, to join the two.
    const bool joined = !all.isEmpty() && !fresh.isEmpty() && fresh.first() == all.last();
    all.append(fresh.mid(joined ? 1 : 0));
    return all;
}
